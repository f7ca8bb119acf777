#ifndef SOLVER_DEADPAIRS_H
#define SOLVER_DEADPAIRS_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "solver/StaticLevel.h"

namespace goalbox {

// Pairs of boxes that can never both reach goals, even with every other box gone.
//
// Taking boxes away never makes a level harder: every solution of the whole position, with the
// pushes of the other boxes turned into walks over the cells they crossed, brings the two
// boxes that stay onto goals. So when two boxes alone cannot both be brought onto distinct
// goals from where they stand, with the player where it stands, the position cannot be solved.
//
// For two boxes alone, what matters of the player is only the region of the floor it can walk
// in (the floor minus the two box cells falls into a few regions). When the level is set up,
// a backward search from every pair of goals over pulls (a push undone) finds every pair of
// box cells and player region from which the two boxes can be solved; the rest are dead.
// Pushes follow the grid rules of StaticLevel (in line, on the floor, not across a row end).
class DeadPairs {
  public:
    // Levels with more floor cells than this get no table (its size grows with the cube).
    static constexpr std::int32_t MAX_FLOOR = 256;

    explicit DeadPairs(const StaticLevel& level);

    bool isEnabled() const { return enabled_; }
    // True when boxes on floor cells a and b (distinct) cannot both reach goals with the player
    // on floor cell player (free of both). Always false without a table.
    bool isDead(std::int32_t a, std::int32_t b, std::int32_t player) const {
        if (!enabled_) {
            return false;
        }
        const std::size_t pair  = pairIndex(a, b);
        const std::uint8_t part = regions_[pair * floorCount_ + static_cast<std::size_t>(player)];
        return (solvable_[pair] >> part & 1u) == 0;
    }

    std::uint64_t memoryBytes() const { return regions_.capacity() + solvable_.capacity() * 2; }

  private:
    std::size_t pairIndex(std::int32_t a, std::int32_t b) const {
        if (a > b) {
            const std::int32_t swap = a;
            a                       = b;
            b                       = swap;
        }
        const auto low  = static_cast<std::size_t>(a);
        const auto high = static_cast<std::size_t>(b);
        return low * (2 * floorCount_ - low - 1) / 2 + (high - low - 1);
    }
    void markRegions(const StaticLevel& level, std::int32_t a, std::int32_t b);

    bool enabled_           = false;
    std::size_t floorCount_ = 0;
    // Per pair * floorCount + floor cell: the number of the region of that cell (0 on the two
    // box cells, which no player stands on; at most 15 regions, more disable the table).
    std::vector<std::uint8_t> regions_;
    // Per pair: bit k set when the two boxes can be solved with the player in region k.
    std::vector<std::uint16_t> solvable_;
};

} // namespace goalbox

#endif
