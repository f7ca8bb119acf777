#include "solver/any/PackingOrder.h"

#include <algorithm>
#include <cstddef>

namespace goalbox {

PackingOrder::PackingOrder(const StaticLevel& level, const std::uint64_t* startKey,
                           std::int32_t boxCount)
    : level_(level), startBox_(static_cast<std::size_t>(level.floorCount), 0) {
    const auto floors = static_cast<std::size_t>(level.floorCount);
    std::vector<std::int32_t> goals;
    for (std::int32_t f = 0; f < level.floorCount; ++f) {
        startBox_[static_cast<std::size_t>(f)] = level.hasBox(startKey, f) ? 1 : 0;
        if (level.goal[static_cast<std::size_t>(level.floorCells[static_cast<std::size_t>(f)])] !=
            0) {
            goals.push_back(f);
        }
    }
    if (goals.empty() || static_cast<std::int32_t>(goals.size()) != boxCount) {
        return;
    }
    // 1. Backward from the full goals: each time the goal whose box comes out in the fewest
    //    moves is filled last of those left.
    seen_.assign(floors * floors, 0);
    std::vector<std::uint8_t> blocked(floors, 0);
    for (const std::int32_t goal : goals) {
        blocked[static_cast<std::size_t>(goal)] = 1;
    }
    std::vector<std::int32_t> left = goals;
    std::vector<std::int32_t> removed;
    while (!left.empty()) {
        std::size_t best       = left.size();
        std::int32_t bestMoves = -1;
        for (std::size_t i = 0; i < left.size(); ++i) {
            blocked[static_cast<std::size_t>(left[i])] = 0;
            const std::int32_t moves                   = pullOutMoves(left[i], blocked);
            blocked[static_cast<std::size_t>(left[i])] = 1;
            if (moves != -1 && (bestMoves == -1 || moves < bestMoves)) {
                bestMoves = moves;
                best      = i;
            }
        }
        if (best == left.size()) {
            return; // no box comes out: no order
        }
        blocked[static_cast<std::size_t>(left[best])] = 0;
        removed.push_back(left[best]);
        left.erase(left.begin() + static_cast<std::ptrdiff_t>(best));
    }
    order_.assign(removed.rbegin(), removed.rend());
    seen_.clear();
    seen_.shrink_to_fit();
    measureNextPushes();
    usable_ = true;
}

// The moves (walk steps and pulls) that bring the box on goal to a cell where a box starts,
// pulling it with the player from any cell beside it, the cells of blocked standing for walls;
// -1 when it cannot get there.
std::int32_t PackingOrder::pullOutMoves(std::int32_t goal,
                                        const std::vector<std::uint8_t>& blocked) {
    if (startBox_[static_cast<std::size_t>(goal)] != 0) {
        return 0;
    }
    const auto floors = static_cast<std::size_t>(level_.floorCount);
    if (++stamp_ == 0) {
        std::fill(seen_.begin(), seen_.end(), 0);
        stamp_ = 1;
    }
    const auto isFree = [&](std::int32_t floor, std::int32_t box) {
        return floor != NO_FLOOR && floor != box && blocked[static_cast<std::size_t>(floor)] == 0;
    };
    const auto visit = [&](std::int32_t box, std::int32_t player) {
        std::uint32_t& mark =
            seen_[static_cast<std::size_t>(box) * floors + static_cast<std::size_t>(player)];
        if (mark == stamp_) {
            return;
        }
        mark = stamp_;
        queue_.push_back(box * level_.floorCount + player);
    };
    queue_.clear();
    for (std::int32_t dir = 0; dir < DIR_COUNT; ++dir) {
        const std::int32_t player = neighbour(goal, dir);
        if (isFree(player, goal)) {
            visit(goal, player);
        }
    }
    std::size_t head = 0;
    for (std::int32_t moves = 1; head < queue_.size(); ++moves) {
        const std::size_t layerEnd = queue_.size();
        for (; head < layerEnd; ++head) {
            const std::int32_t box    = queue_[head] / level_.floorCount;
            const std::int32_t player = queue_[head] % level_.floorCount;
            for (std::int32_t dir = 0; dir < DIR_COUNT; ++dir) {
                const std::int32_t next = neighbour(player, dir);
                if (!isFree(next, box)) {
                    continue;
                }
                visit(box, next); // a walk step
                if (neighbour(box, dir) == player) {
                    // A pull: the player steps on away from the box, which follows.
                    if (startBox_[static_cast<std::size_t>(player)] != 0) {
                        return moves;
                    }
                    visit(player, next);
                }
            }
        }
    }
    return -1;
}

// The pushes onto each goal of the order with the goals before it as walls: a search backward
// over pushes that moves no box over those goals and stands the player on none of them.
void PackingOrder::measureNextPushes() {
    const auto floors = static_cast<std::size_t>(level_.floorCount);
    nextPushes_.assign(order_.size() * floors, NO_PATH);
    std::vector<std::uint8_t> walls(floors, 0);
    queue_.resize(floors);
    for (std::size_t k = 0; k < order_.size(); ++k) {
        std::uint16_t* pushes = &nextPushes_[k * floors];
        pushes[order_[k]]     = 0;
        queue_[0]             = order_[k];
        std::size_t head      = 0;
        std::size_t tail      = 1;
        while (head < tail) {
            const std::int32_t to = queue_[head++];
            for (std::int32_t dir = 0; dir < DIR_COUNT; ++dir) {
                const std::int32_t back = DIR_COUNT - 1 - dir;
                const std::int32_t from = neighbour(to, back);
                if (from == NO_FLOOR || pushes[from] != NO_PATH ||
                    walls[static_cast<std::size_t>(from)] != 0 ||
                    !level_.isPushable(level_.floorCells[static_cast<std::size_t>(from)], dir)) {
                    continue;
                }
                if (walls[static_cast<std::size_t>(neighbour(from, back))] != 0) {
                    continue; // the player would stand on a filled goal
                }
                pushes[from]   = static_cast<std::uint16_t>(pushes[to] + 1);
                queue_[tail++] = from;
            }
        }
        walls[static_cast<std::size_t>(order_[k])] = 1;
    }
}

PackingOrder::Guide PackingOrder::guide(const std::uint64_t* key) const {
    std::int32_t packed = 0;
    const auto goals    = static_cast<std::int32_t>(order_.size());
    while (packed < goals && level_.hasBox(key, order_[static_cast<std::size_t>(packed)])) {
        ++packed;
    }
    if (packed == goals) {
        return Guide{packed, 0};
    }
    const auto floors           = static_cast<std::size_t>(level_.floorCount);
    const std::uint16_t* pushes = &nextPushes_[static_cast<std::size_t>(packed) * floors];
    std::uint16_t nearest       = NO_PATH;
    level_.forEachBox(key, [&](std::int32_t floor) {
        // The boxes of the prefix stand on walls of this table: NO_PATH.
        nearest = std::min(nearest, pushes[floor]);
    });
    return Guide{packed, nearest == NO_PATH ? BLOCKED : static_cast<std::int32_t>(nearest)};
}

std::uint64_t PackingOrder::memoryBytes() const {
    return nextPushes_.capacity() * sizeof(std::uint16_t) + startBox_.capacity() +
           order_.capacity() * sizeof(std::int32_t) + queue_.capacity() * sizeof(std::int32_t);
}

} // namespace goalbox
