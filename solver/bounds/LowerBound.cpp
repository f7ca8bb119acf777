#include "solver/bounds/LowerBound.h"

#include <algorithm>
#include <array>

namespace goalbox {

namespace {

// Cost of giving a box a goal it cannot reach: larger than any total of real push counts (at
// most 32767 boxes times 65534 pushes stays far below it), so a least total at or above it
// means that no assignment uses reachable goals only.
constexpr std::int64_t UNREACHABLE = std::int64_t{1} << 40;

} // namespace

LowerBound::LowerBound(const StaticLevel& level)
    : level_(level), floorCount_(static_cast<std::size_t>(level.floorCount)) {
    // 1. The goals, numbered in floor order.
    const std::vector<std::int32_t>& goalFloors = level.goalFloors;
    goalCount_                                  = static_cast<std::int32_t>(goalFloors.size());

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
    rememberedKey_.assign(static_cast<std::size_t>(level.keyWords), 0);
    // The same push counts by floor cell, for the rows of an assignment.
    byFloor_.assign(floorCount_ * static_cast<std::size_t>(goalCount_), NO_PATH);
    for (std::int32_t g = 0; g < goalCount_; ++g) {
        for (std::size_t f = 0; f < floorCount_; ++f) {
            byFloor_[f * static_cast<std::size_t>(goalCount_) + static_cast<std::size_t>(g)] =
                distance(g, static_cast<std::int32_t>(f));
        }
    }
}

std::int32_t LowerBound::nearestSum(const std::uint64_t* key) const {
    std::int32_t sum = 0;
    bool dead        = false;
    level_.forEachBox(key, [&](std::int32_t floor) {
        const std::uint16_t d = nearest_[static_cast<std::size_t>(floor)];
        dead                  = dead || d == NO_PATH;
        sum += d;
    });
    return dead ? BOUND_DEAD : sum;
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
    for (const std::int32_t f : boxes_) {
        goalTaken_[static_cast<std::size_t>(nearestGoal_[static_cast<std::size_t>(f)])] = 0;
    }
    std::int32_t total = dead ? BOUND_DEAD : sum;
    if (!dead && !nearestDistinct) {
        // 2. The assignment depends on the boxes alone: the cache of recent layouts spares it
        //    for the positions that share one.
        total = layouts_.totalOf(layoutHash(key), [this] { return cheapestAssignment(); });
    }
    std::copy(key, key + level_.keyWords, rememberedKey_.begin());
    rememberedTotal_ = total;
    rememberedValid_ = true;
    return total;
}

// A hash of the boxes of key, for the cache of layouts.
std::uint64_t LowerBound::layoutHash(const std::uint64_t* key) const {
    std::uint64_t layout = 0x9e3779b97f4a7c15ULL;
    for (std::int32_t w = 0; w < level_.boxWords; ++w) {
        layout = (layout ^ level_.boxWord(key, w)) * 0xff51afd7ed558ccdULL;
        layout ^= layout >> 29;
    }
    return layout;
}

// The costs of the boxes of boxes_ (rows, from 1) and the goals (columns, from 1; column 0 is
// the starting point of each search), and the working arrays of the assignment.
void LowerBound::prepareAssignment() {
    const auto n       = boxes_.size();
    const auto m       = static_cast<std::size_t>(goalCount_);
    const auto columns = m + 1;
    cost_.resize(n * m); // one row of m per box
    for (std::size_t row = 0; row < n; ++row) {
        const std::uint16_t* from = &byFloor_[static_cast<std::size_t>(boxes_[row]) * m];
        for (std::size_t column = 0; column < m; ++column) {
            cost_[row * m + column] = from[column] == NO_PATH ? UNREACHABLE : from[column];
        }
    }
    rowPotential_.assign(n + 1, 0);
    columnPotential_.assign(columns, 0);
    columnRow_.assign(columns, 0);
}

// Each box takes its nearest goal while that is free, with its row potential at that
// distance; the boxes left over go into rowsLeft_.
void LowerBound::takeNearestGoals() {
    rowsLeft_.clear();
    for (std::size_t row = 1; row <= boxes_.size(); ++row) {
        const auto box      = static_cast<std::size_t>(boxes_[row - 1]);
        rowPotential_[row]  = nearest_[box];
        std::int32_t& owner = columnRow_[static_cast<std::size_t>(nearestGoal_[box]) + 1];
        if (owner == 0) {
            owner = static_cast<std::int32_t>(row);
        } else {
            rowsLeft_.push_back(static_cast<std::int32_t>(row));
        }
    }
}

// The least-cost assignment of the boxes (rows) to distinct goals (columns), by shortest
// augmenting paths with potentials. Starting from the nearest goals, every cost minus the
// potentials is at least 0 and 0 on the pairs taken, as the searches need; only the boxes left
// over are searched for, usually one or two.
std::int32_t LowerBound::cheapestAssignment() {
    const std::int32_t m = goalCount_;
    if (static_cast<std::int32_t>(boxes_.size()) > m) {
        return BOUND_DEAD;
    }
    prepareAssignment();
    takeNearestGoals();
    for (const std::int32_t row : rowsLeft_) {
        path_.augment(cost_.data(), m, row, rowPotential_.data(), columnPotential_.data(),
                      columnRow_.data());
    }
    // The total of the assignment found.
    std::int64_t total = 0;
    for (std::int32_t column = 1; column <= m; ++column) {
        const std::int32_t row = columnRow_[static_cast<std::size_t>(column)];
        if (row != 0) {
            total += cost_[static_cast<std::size_t>((row - 1) * m + column - 1)];
        }
    }
    return total >= UNREACHABLE ? BOUND_DEAD : static_cast<std::int32_t>(total);
}

std::int32_t LowerBound::remembered(const std::uint64_t* key) {
    if (rememberedValid_ && std::equal(key, key + level_.keyWords, rememberedKey_.begin())) {
        return rememberedTotal_;
    }
    return estimate(key);
}

std::uint64_t LowerBound::memoryBytes() const {
    return distances_.capacity() * sizeof(std::uint16_t) +
           nearest_.capacity() * sizeof(std::uint16_t) +
           nearestGoal_.capacity() * sizeof(std::int32_t) +
           byFloor_.capacity() * sizeof(std::uint16_t) + layouts_.memoryBytes();
}

} // namespace goalbox
