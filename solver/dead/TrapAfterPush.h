#ifndef SOLVER_DEAD_TRAPAFTERPUSH_H
#define SOLVER_DEAD_TRAPAFTERPUSH_H

#include <array>
#include <cstdint>
#include <vector>

#include "board/Board.h"

namespace goalbox {

// isTrapped of a board that was not trapped before one push moved a box from cell from to cell
// to (the board shows the position after the push). Every dead pattern of isTrapped is a 2x2
// square or a scanned line read with its neighbour line; a square or a pair of lines that holds
// neither cell reads as before, when nothing was dead. So only the squares that hold one of the
// two cells and the scans whose two lines hold one of them are read again, each in full (its
// start position included, which a box arriving or leaving can shift). Equal to isTrapped under
// that condition; a board that may already be trapped needs the full test.
bool isTrappedAfterPush(const Board& board, CellIndex from, CellIndex to);

// The same test, narrowed further by what never changes on one level. The positions of a
// level differ only in where the boxes stand, and
//
//   - a cell counts as an exit of a wall-line scan whenever it can hold a box or the player,
//     box or not, so which cells are exits never changes; a scan's verdict hangs only on the
//     stretch of its line from the start position up to the first exit (the critical stretch);
//   - when the start line's first cell is never CELL_FLOOR (a wall, the outside, a goal), a
//     scan always starts at position 0;
//   - a box leaving a cell removes a box from the counts or adds an empty goal, and matches no
//     square pattern that did not match already (a dead square needs a box or a wall on each
//     cell it names, and any other cell matched before too);
//
// so on a level where every scan starts at position 0 only the four squares around the cell
// the box arrives on and the scans whose critical stretch holds that cell can turn dead. On
// other levels it is isTrappedAfterPush.
class TrapAfterPush {
  public:
    explicit TrapAfterPush(const Board& start);

    bool afterPush(const Board& board, CellIndex from, CellIndex to) const;

  private:
    bool fixedStarts_ = false;
    // Per cell: for each scan (1 to 4), the first cell of the line whose critical stretch holds
    // the cell, or NO_CELL.
    std::vector<std::array<CellIndex, 4>> stretchLine_;
    // Per cell: the 2x2 squares on the grid that hold it, bits 1, 2, 4, 8 for those whose
    // top-left corner is up-left of it, above it, left of it, the cell itself.
    std::vector<std::uint8_t> squaresAround_;
};

} // namespace goalbox

#endif
