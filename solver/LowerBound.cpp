#include "solver/LowerBound.h"

#include <algorithm>
#include <array>
#include <limits>

namespace goalbox {

namespace {

// Cost of giving a box a goal it cannot reach: larger than any total of real push counts (at
// most 32767 boxes times 65534 pushes stays far below it), so a least total at or above it
// means that no assignment uses reachable goals only.
constexpr std::int64_t UNREACHABLE = std::int64_t{1} << 40;
constexpr std::int64_t SLACK_NONE  = std::numeric_limits<std::int64_t>::max() / 4;

} // namespace

LowerBound::LowerBound(const StaticLevel& level)
    : level_(level), floorCount_(static_cast<std::size_t>(level.floorCount)) {
    // 1. The goals, by floor number.
    std::vector<std::int32_t> goalFloors;
    for (std::int32_t f = 0; f < level.floorCount; ++f) {
        if (level.goal[static_cast<std::size_t>(level.floorCells[static_cast<std::size_t>(f)])]) {
            goalFloors.push_back(f);
        }
    }
    goalCount_ = static_cast<std::int32_t>(goalFloors.size());

    // 2. The pushes backwards: for each floor cell the cells a box can be pushed to it from.
    std::vector<std::array<std::int32_t, DIR_COUNT>> from(floorCount_);
    for (auto& sources : from) {
        sources.fill(-1);
    }
    for (std::int32_t f = 0; f < level.floorCount; ++f) {
        const CellIndex cell = level.floorCells[static_cast<std::size_t>(f)];
        for (std::int32_t dir = 0; dir < DIR_COUNT; ++dir) {
            if (level.isPushable(cell, dir)) {
                const auto beyond = static_cast<CellIndex>(cell + level.dirOffset[dir]);
                from[static_cast<std::size_t>(level.floorIndex[static_cast<std::size_t>(beyond)])]
                    [static_cast<std::size_t>(dir)] = f;
            }
        }
    }

    // 3. One backward breadth-first search from each goal.
    distances_.assign(static_cast<std::size_t>(goalCount_) * floorCount_, NO_PATH);
    std::vector<std::int32_t> queue(floorCount_);
    for (std::int32_t g = 0; g < goalCount_; ++g) {
        std::uint16_t* dist      = &distances_[static_cast<std::size_t>(g) * floorCount_];
        const std::int32_t start = goalFloors[static_cast<std::size_t>(g)];
        dist[start]              = 0;
        queue[0]                 = start;
        std::size_t head         = 0;
        std::size_t tail         = 1;
        while (head < tail) {
            const std::int32_t cur = queue[head++];
            for (const std::int32_t source : from[static_cast<std::size_t>(cur)]) {
                if (source != -1 && dist[source] == NO_PATH) {
                    dist[source]  = static_cast<std::uint16_t>(dist[cur] + 1);
                    queue[tail++] = source;
                }
            }
        }
    }

    // 4. The nearest goal of every floor cell.
    nearest_.assign(floorCount_, NO_PATH);
    nearestGoal_.assign(floorCount_, -1);
    for (std::int32_t g = 0; g < goalCount_; ++g) {
        for (std::size_t f = 0; f < floorCount_; ++f) {
            if (distance(g, static_cast<std::int32_t>(f)) < nearest_[f]) {
                nearest_[f]     = distance(g, static_cast<std::int32_t>(f));
                nearestGoal_[f] = g;
            }
        }
    }
    goalTaken_.assign(static_cast<std::size_t>(goalCount_), 0);
    assignedKey_.assign(static_cast<std::size_t>(level.keyWords), 0);
    assignedGoal_.assign(floorCount_, -1);
}

std::int32_t LowerBound::nearestSum(const std::uint64_t* key) const {
    std::int32_t sum = 0;
    bool dead        = false;
    level_.forEachBox(key, [&](std::int32_t floor) {
        const std::uint16_t d = nearest_[static_cast<std::size_t>(floor)];
        dead                  = dead || d == NO_PATH;
        sum += d;
    });
    return dead ? DEAD : sum;
}

std::int32_t LowerBound::estimate(const std::uint64_t* key) {
    // 1. The boxes, and the sum of their nearest goals. When the nearest goals are all
    //    different, that sum is itself an assignment and the least one.
    boxes_.clear();
    std::int32_t sum     = 0;
    bool dead            = false;
    bool nearestDistinct = true;
    level_.forEachBox(key, [&](std::int32_t floor) {
        const auto f          = static_cast<std::size_t>(floor);
        const std::uint16_t d = nearest_[f];
        if (d == NO_PATH) {
            dead = true;
            return;
        }
        sum += d;
        std::uint8_t& taken = goalTaken_[static_cast<std::size_t>(nearestGoal_[f])];
        nearestDistinct     = nearestDistinct && taken == 0;
        taken               = 1;
        boxes_.push_back(floor);
    });
    clearTaken();
    assignedValid_ = false;
    if (dead) {
        return DEAD;
    }
    if (nearestDistinct) {
        for (const std::int32_t f : boxes_) {
            assignedGoal_[static_cast<std::size_t>(f)] = nearestGoal_[static_cast<std::size_t>(f)];
        }
        remember(key, sum);
        return sum;
    }
    const auto n         = static_cast<std::int32_t>(boxes_.size());
    const std::int32_t m = goalCount_;
    if (n > m) {
        return DEAD;
    }

    // 2. The least-cost assignment of rows (boxes) to distinct columns (goals), by shortest
    //    augmenting paths with potentials; arrays count from 1, column 0 is the starting point
    //    of each search. To start, each box takes its nearest goal while that is free, with its
    //    row potential at that distance: every cost minus the potentials is then at least 0
    //    and 0 on the pairs taken, as the searches need. Only the boxes left over are searched
    //    for, usually one or two.
    const auto columns = static_cast<std::size_t>(m) + 1;
    rowPotential_.assign(static_cast<std::size_t>(n) + 1, 0);
    columnPotential_.assign(columns, 0);
    columnRow_.assign(columns, 0);
    way_.assign(columns, 0);
    rowsLeft_.clear();
    for (std::int32_t row = 1; row <= n; ++row) {
        const auto box = static_cast<std::size_t>(boxes_[static_cast<std::size_t>(row) - 1]);
        rowPotential_[static_cast<std::size_t>(row)] = nearest_[box];
        const auto column = static_cast<std::size_t>(nearestGoal_[box]) + 1;
        if (columnRow_[column] == 0) {
            columnRow_[column] = row;
        } else {
            rowsLeft_.push_back(row);
        }
    }
    for (const std::int32_t row : rowsLeft_) {
        columnRow_[0]        = row;
        std::int32_t column0 = 0;
        minSlack_.assign(columns, SLACK_NONE);
        used_.assign(columns, 0);
        do {
            used_[static_cast<std::size_t>(column0)] = 1;
            const std::int32_t row0 = columnRow_[static_cast<std::size_t>(column0)];
            const std::int32_t box  = boxes_[static_cast<std::size_t>(row0) - 1];
            std::int64_t delta      = SLACK_NONE;
            std::int32_t column1    = 0;
            for (std::int32_t column = 1; column <= m; ++column) {
                const auto c = static_cast<std::size_t>(column);
                if (used_[c]) {
                    continue;
                }
                const std::uint16_t d   = distance(column - 1, box);
                const std::int64_t cost = d == NO_PATH ? UNREACHABLE : d;
                const std::int64_t slack =
                    cost - rowPotential_[static_cast<std::size_t>(row0)] - columnPotential_[c];
                if (slack < minSlack_[c]) {
                    minSlack_[c] = slack;
                    way_[c]      = column0;
                }
                if (minSlack_[c] < delta) {
                    delta   = minSlack_[c];
                    column1 = column;
                }
            }
            for (std::size_t c = 0; c < columns; ++c) {
                if (used_[c]) {
                    rowPotential_[static_cast<std::size_t>(columnRow_[c])] += delta;
                    columnPotential_[c] -= delta;
                } else {
                    minSlack_[c] -= delta;
                }
            }
            column0 = column1;
        } while (columnRow_[static_cast<std::size_t>(column0)] != 0);
        // Flip the augmenting path.
        do {
            const std::int32_t column1 = way_[static_cast<std::size_t>(column0)];
            columnRow_[static_cast<std::size_t>(column0)] =
                columnRow_[static_cast<std::size_t>(column1)];
            column0 = column1;
        } while (column0 != 0);
    }
    // 3. The total of the assignment found.
    std::int64_t total = 0;
    for (std::int32_t column = 1; column <= m; ++column) {
        const std::int32_t row = columnRow_[static_cast<std::size_t>(column)];
        if (row != 0) {
            const std::int32_t box = boxes_[static_cast<std::size_t>(row) - 1];
            const std::uint16_t d  = distance(column - 1, box);
            total += d == NO_PATH ? UNREACHABLE : d;
            assignedGoal_[static_cast<std::size_t>(box)] = column - 1;
        }
    }
    if (total >= UNREACHABLE) {
        return DEAD;
    }
    remember(key, static_cast<std::int32_t>(total));
    return static_cast<std::int32_t>(total);
}

void LowerBound::remember(const std::uint64_t* key, std::int32_t total) {
    std::copy(key, key + level_.keyWords, assignedKey_.begin());
    assignedTotal_ = total;
    assignedValid_ = true;
}

std::int32_t LowerBound::remembered(const std::uint64_t* key) {
    if (assignedValid_ && std::equal(key, key + level_.keyWords, assignedKey_.begin())) {
        return assignedTotal_;
    }
    return estimate(key);
}

std::int32_t LowerBound::estimateAfterPush(const std::uint64_t* key, std::int32_t parent,
                                           std::int32_t from, std::int32_t to,
                                           const std::uint64_t* childKey, bool& exact) {
    // 1. The cheapest assignment of key, worked out again unless it is the latest one.
    if (!assignedValid_ || !std::equal(key, key + level_.keyWords, assignedKey_.begin())) {
        estimate(key);
    }
    // 2. The bounds from below and from above.
    const std::int32_t cheap = nearestSum(childKey);
    exact                    = cheap == DEAD;
    if (exact || !assignedValid_) {
        return cheap;
    }
    const std::int32_t goal  = assignedGoal_[static_cast<std::size_t>(from)];
    const std::uint16_t left = distance(goal, from);
    const std::uint16_t now  = distance(goal, to);
    if (now != NO_PATH) {
        const std::int32_t above = parent - left + now;
        exact                    = above <= std::max(cheap, parent - 1);
        if (exact) {
            return above;
        }
    }
    return cheap;
}

void LowerBound::clearTaken() {
    for (const std::int32_t f : boxes_) {
        goalTaken_[static_cast<std::size_t>(nearestGoal_[static_cast<std::size_t>(f)])] = 0;
    }
}

std::uint64_t LowerBound::memoryBytes() const {
    return distances_.capacity() * sizeof(std::uint16_t) +
           nearest_.capacity() * sizeof(std::uint16_t) +
           nearestGoal_.capacity() * sizeof(std::int32_t);
}

} // namespace goalbox
