#ifndef SOLVER_SOLUTIONSTEP_H
#define SOLVER_SOLUTIONSTEP_H

#include "board/Board.h"

namespace goalbox {

// One push of a solution: walk the player to cell by a shortest walk, then move once in
// direction, which pushes the box next to cell. The initial search state's step has cell
// NO_CELL.
struct SolutionStep {
    CellIndex cell      = NO_CELL;
    Direction direction = DIR_RIGHT;

    bool operator==(const SolutionStep&) const = default;
};

} // namespace goalbox

#endif
