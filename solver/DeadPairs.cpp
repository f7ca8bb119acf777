#include "solver/DeadPairs.h"

#include <utility>

namespace goalbox {

namespace {

constexpr std::int32_t MAX_REGIONS = 15; // bits 1 .. 15 of a pair's solvable mask

} // namespace

// Numbers the regions of the floor without the cells a and b, from 1, into the pair's row.
void DeadPairs::markRegions(const StaticLevel& level, std::int32_t a, std::int32_t b) {
    std::uint8_t* row = &regions_[pairIndex(a, b) * floorCount_];
    std::vector<std::int32_t> stack;
    std::uint8_t next = 1;
    for (std::int32_t start = 0; start < level.floorCount; ++start) {
        if (start == a || start == b || row[start] != 0) {
            continue;
        }
        if (next > MAX_REGIONS) {
            enabled_ = false;
            return;
        }
        row[start] = next;
        stack.assign(1, start);
        while (!stack.empty()) {
            const std::int32_t cur = stack.back();
            stack.pop_back();
            for (std::int32_t dir = 0; dir < DIR_COUNT; ++dir) {
                const std::int32_t n =
                    level.floorNeighbours[static_cast<std::size_t>(cur) * DIR_COUNT +
                                          static_cast<std::size_t>(dir)];
                if (n != -1 && n != a && n != b && row[n] == 0) {
                    row[n] = next;
                    stack.push_back(n);
                }
            }
        }
        ++next;
    }
}

DeadPairs::DeadPairs(const StaticLevel& level)
    : floorCount_(static_cast<std::size_t>(level.floorCount)) {
    if (level.floorCount < 2 || level.floorCount > MAX_FLOOR) {
        return;
    }
    const std::size_t pairs = floorCount_ * (floorCount_ - 1) / 2;
    regions_.assign(pairs * floorCount_, 0);
    solvable_.assign(pairs, 0);
    enabled_ = true;
    for (std::int32_t a = 0; a < level.floorCount && enabled_; ++a) {
        for (std::int32_t b = a + 1; b < level.floorCount && enabled_; ++b) {
            markRegions(level, a, b);
        }
    }
    if (!enabled_) {
        std::vector<std::uint8_t>().swap(regions_);
        std::vector<std::uint16_t>().swap(solvable_);
        return;
    }

    // 1. Both boxes on goals: solved wherever the player is.
    std::vector<std::pair<std::uint32_t, std::uint8_t>> queue; // (pair, region)
    std::vector<std::int32_t> goals;
    for (std::int32_t f = 0; f < level.floorCount; ++f) {
        if (level.goal[static_cast<std::size_t>(level.floorCells[static_cast<std::size_t>(f)])]) {
            goals.push_back(f);
        }
    }
    for (std::size_t i = 0; i < goals.size(); ++i) {
        for (std::size_t j = i + 1; j < goals.size(); ++j) {
            const std::size_t pair = pairIndex(goals[i], goals[j]);
            solvable_[pair]        = 0xFFFE;
            for (std::uint8_t r = 1; r <= MAX_REGIONS; ++r) {
                queue.emplace_back(static_cast<std::uint32_t>(pair), r);
            }
        }
    }
    // 2. Backwards over pushes. A push of the box on x in direction d, from the player on
    //    x - d, leaves the box on y = x + d and the player on x; so every solvable (pair with a
    //    box on y, region of x) makes (the pair with that box on x, region of x - d) solvable.
    std::vector<std::int32_t> boxesOf(2);
    for (std::size_t head = 0; head < queue.size(); ++head) {
        const auto [pair, region] = queue[head];
        // The two boxes of the pair, recovered from the row: the cells of region 0.
        const std::uint8_t* row = &regions_[static_cast<std::size_t>(pair) * floorCount_];
        std::int32_t found      = 0;
        for (std::int32_t f = 0; f < level.floorCount && found < 2; ++f) {
            if (row[f] == 0) {
                boxesOf[static_cast<std::size_t>(found++)] = f;
            }
        }
        for (std::int32_t which = 0; which < 2; ++which) {
            const std::int32_t y     = boxesOf[static_cast<std::size_t>(which)];
            const std::int32_t other = boxesOf[static_cast<std::size_t>(1 - which)];
            for (std::int32_t d = 0; d < DIR_COUNT; ++d) {
                // x is y's neighbour against d; the push needs stand, x and y in line.
                const std::int32_t back = DIR_COUNT - 1 - d;
                const std::int32_t x =
                    level.floorNeighbours[static_cast<std::size_t>(y) * DIR_COUNT +
                                          static_cast<std::size_t>(back)];
                if (x == -1 || x == other || row[x] != region ||
                    !level.isPushable(level.floorCells[static_cast<std::size_t>(x)], d)) {
                    continue;
                }
                const std::int32_t stand =
                    level.floorNeighbours[static_cast<std::size_t>(x) * DIR_COUNT +
                                          static_cast<std::size_t>(back)];
                if (stand == -1 || stand == other) {
                    continue;
                }
                const std::size_t before = pairIndex(x, other);
                const std::uint8_t from =
                    regions_[before * floorCount_ + static_cast<std::size_t>(stand)];
                if ((solvable_[before] >> from & 1u) == 0) {
                    solvable_[before] = static_cast<std::uint16_t>(solvable_[before] | 1u << from);
                    queue.emplace_back(static_cast<std::uint32_t>(before), from);
                }
            }
        }
    }
}

} // namespace goalbox
