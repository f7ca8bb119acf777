#ifndef SOLVER_DEAD_FROZENBOXES_H
#define SOLVER_DEAD_FROZENBOXES_H

#include <cstdint>
#include <vector>

#include "board/Board.h"
#include "solver/bounds/LowerBound.h"
#include "solver/positions/StaticLevel.h"

namespace goalbox {

// Boxes that can never move again. A push moves a box along a line, with the player on the
// cell behind it and the cell beyond free; so a box can never move along a line (a row or a
// column) when a cell on either side of it along that line is lasting: a cell that is not
// floor, or a box that can itself never move again. It need not move there either when both
// cells along the line reach no goal (LowerBound::reachesNoGoal): a push onto one of
// them leaves a position that cannot be solved. A box blocked along both lines is frozen.
//
// Boxes that hold each other in place are found by assuming the box being examined lasting
// while its neighbours are examined: a set of boxes each blocked on both lines while the others
// stay is frozen as a whole, since none of them can be the first to move.
//
// A frozen box off a goal can never reach one: the position cannot be solved. Leaving such
// positions out changes no route (see solver/exact/RouteSearch.h).
class FrozenBoxes {
  public:
    FrozenBoxes(const StaticLevel& level, const LowerBound& bound);

    // True when the box on cell box (in key) is frozen together with a box off a goal.
    bool isFrozenOffGoal(const std::uint64_t* key, CellIndex box);

  private:
    bool isFrozen(CellIndex box);
    bool isBlocked(CellIndex box, std::int32_t dir);
    bool isLasting(CellIndex cell);

    static constexpr std::int32_t EXAMINE_LIMIT = 256;

    const StaticLevel& level_;
    std::vector<std::uint8_t> reachesNoGoal_; // per cell
    const std::uint64_t* key_ = nullptr;
    std::vector<std::uint8_t> assumed_; // per cell: a box assumed lasting during the test
    std::vector<CellIndex> frozen_;     // the boxes of the derivation so far
    std::int32_t examined_ = 0;
};

} // namespace goalbox

#endif
