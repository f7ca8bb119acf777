#ifndef SOLVER_BOUNDS_LOWERBOUND_H
#define SOLVER_BOUNDS_LOWERBOUND_H

#include <cstdint>
#include <vector>

#include "solver/positions/StaticLevel.h"

namespace goalbox {

// A lower bound on the steps still needed to solve a position: the part of the route search's
// estimate that the boxes' push distances give.
//
// For every goal a backward search over pushes on the empty board (walls only, every other
// box gone, the player wherever it needs to be) gives the fewest pushes that bring a box from
// each floor cell to that goal. A push counts one step and needs the box to move one cell, so
//
//   estimate  the least total of these push counts over all assignments of the boxes to
//             distinct goals
//
// never exceeds the steps still needed. It is consistent: one push moves one box by one cell,
// which lowers that box's count to any goal by at most 1, so the estimate drops by at most 1
// while the steps grow by at least 1. A box that reaches no goal, or boxes that cannot all be
// given distinct goals they reach, make the position hopeless: DEAD, and every position after
// it stays DEAD.
class LowerBound {
  public:
    static constexpr std::int32_t DEAD = 1 << 28;

    explicit LowerBound(const StaticLevel& level);

    // The sum over the boxes of the push count to the nearest goal: weaker, cheap, and never
    // above estimate. DEAD when some box reaches no goal.
    std::int32_t nearestSum(const std::uint64_t* key) const;

    // The least total over the assignments of boxes to distinct goals; DEAD when there is none.
    std::int32_t estimate(const std::uint64_t* key);

    // estimate(key), from what the latest call remembers when it was for the same key.
    std::int32_t remembered(const std::uint64_t* key);

    // The push count from floor cell floor to its nearest goal; DEAD when it reaches none.
    std::int32_t nearestPushes(std::int32_t floor) const {
        const std::uint16_t d = nearest_[static_cast<std::size_t>(floor)];
        return d == NO_PATH ? DEAD : d;
    }

    // The goals, numbered from 0 in floor order, and the push count from floor cell floor onto
    // goal goal on the empty board (DEAD when it cannot get there).
    std::int32_t goalCount() const { return goalCount_; }
    std::int32_t pushesTo(std::int32_t goal, std::int32_t floor) const {
        const std::uint16_t d = distance(goal, floor);
        return d == NO_PATH ? DEAD : d;
    }

    // True when a box on floor cell floor can reach no goal even on an empty board.
    bool reachesNoGoal(std::int32_t floor) const {
        return nearest_[static_cast<std::size_t>(floor)] == NO_PATH;
    }

    // Heap bytes of the tables.
    std::uint64_t memoryBytes() const;

  private:
    std::int32_t assign();

    static constexpr std::uint16_t NO_PATH = 0xFFFF;

    std::uint16_t distance(std::int32_t goal, std::int32_t floor) const {
        return distances_[static_cast<std::size_t>(goal) * floorCount_ +
                          static_cast<std::size_t>(floor)];
    }

    const StaticLevel& level_;
    std::size_t floorCount_ = 0;
    std::int32_t goalCount_ = 0;
    std::vector<std::uint16_t> distances_;  // goal * floorCount + floor -> pushes, or NO_PATH
    std::vector<std::uint16_t> byFloor_;    // floor * goalCount + goal -> the same
    std::vector<std::uint16_t> nearest_;    // floor -> pushes to the nearest goal, or NO_PATH
    std::vector<std::int32_t> nearestGoal_; // floor -> one goal at that distance, or -1

    // The key of the latest estimate and its total.
    std::vector<std::uint64_t> rememberedKey_;
    std::int32_t rememberedTotal_ = 0;
    bool rememberedValid_         = false;

    // Assignment totals of recent box layouts, by the top bits of a hash of the boxes; the tag
    // is the whole hash with its lowest bit set. Which totals it keeps never reaches a result.
    static constexpr int MAX_CACHE_BITS = 20;
    struct LayoutSlot {
        std::uint64_t tag;
        std::int32_t total;
    };
    std::vector<LayoutSlot> layoutCache_;
    int cacheShift_                  = 64 - 10;
    std::uint64_t missesSinceGrowth_ = 0;

    // Working arrays of the assignment, reused by every call.
    std::vector<std::int32_t> boxes_;
    std::vector<std::int32_t> rowsLeft_;
    std::vector<std::uint8_t> goalTaken_;
    std::vector<std::int64_t> cost_;
    std::vector<std::int64_t> rowPotential_;
    std::vector<std::int64_t> columnPotential_;
    std::vector<std::int32_t> columnRow_;
    std::vector<std::int32_t> way_;
    std::vector<std::int64_t> minSlack_;
    std::vector<std::uint8_t> used_;
};

} // namespace goalbox

#endif
