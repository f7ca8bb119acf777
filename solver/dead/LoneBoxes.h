#ifndef SOLVER_DEAD_LONEBOXES_H
#define SOLVER_DEAD_LONEBOXES_H

#include <cstdint>
#include <vector>

#include "solver/positions/StaticLevel.h"

namespace goalbox {

// Whether a box alone on the level, with the player where it stands, can still be brought onto
// a goal. Taking the other boxes away never makes that harder (their pushes become walks over
// the same cells), so a position with a box that cannot is dead, even where the box's cell is
// a fine one for a box that the player could reach from every side: a box pushed into a
// corridor whose far end only the player could have reached.
//
// The table holds every (box cell, player cell), found by a search backward from the boxes on
// goals over moves undone (a walk step back, or a pull). Levels of more than MAX_FLOOR floor
// cells get no table.
class LoneBoxes {
  public:
    static constexpr std::int32_t MAX_FLOOR = 2048;

    explicit LoneBoxes(const StaticLevel& level);

    bool usable() const { return !solvable_.empty(); }

    // False when the box on floor cell box cannot reach a goal with the player on floor cell
    // player, even alone; true without a table.
    bool canReachGoal(std::int32_t box, std::int32_t player) const {
        if (solvable_.empty()) {
            return true;
        }
        const std::size_t at =
            static_cast<std::size_t>(box) * floorCount_ + static_cast<std::size_t>(player);
        return (solvable_[at / 64] >> (at % 64) & 1u) != 0;
    }

    std::uint64_t memoryBytes() const { return solvable_.capacity() * sizeof(std::uint64_t); }

  private:
    std::size_t floorCount_ = 0;
    std::vector<std::uint64_t> solvable_; // bit box * floorCount + player
};

} // namespace goalbox

#endif
