// The dead patterns of analysis/DeadPosition.h, read over a few squares and lines only. They
// compare whole cell codes: a box is exactly CELL_BOX, a wall exactly CELL_WALL, a goal exactly
// CELL_GOAL.
#include "solver/dead/TrapAfterPush.h"

#include <cstddef>
#include <cstdint>

#include "analysis/DeadPosition.h"

namespace goalbox {

namespace {

// The squares on the grid that hold cell: bits 1, 2, 4, 8 of squaresAround, by the offset of
// their top-left corner from the cell.
bool hasDeadSquareAround(const Board& board, CellIndex cell) {
    const std::uint8_t squares = squaresAround(board, cell);
    const int width            = board.width;
    const int corners[]        = {-width - 1, -width, -1, 0};
    for (int i = 0; i < 4; ++i) {
        if ((squares >> i & 1u) != 0 &&
            isDeadSquareAt(board, static_cast<CellIndex>(cell + corners[i]))) {
            return true;
        }
    }
    return false;
}

// The first cell of row or column n.
CellIndex lineStart(const Board& board, bool isRow, int n) {
    return static_cast<CellIndex>(isRow ? n * board.width : n);
}

// True when one of the first count entries of lines is n.
bool isListed(const int* lines, int count, int n) {
    for (int i = 0; i < count; ++i) {
        if (lines[i] == n) {
            return true;
        }
    }
    return false;
}

// The wall-line scans over rows (isRow) or columns that read line a or line b. Scans 1 and 2
// read line n with line n - 1, so they read a changed line m as n = m and n = m + 1; scans 3
// and 4 read line n with line n + 1, so as n = m and n = m - 1.
bool hasDeadLineNear(const Board& board, bool isRow, int a, int b) {
    const int count        = isRow ? board.height : board.width;
    const Direction along  = isRow ? DIR_RIGHT : DIR_DOWN;
    const Direction before = isRow ? DIR_UP : DIR_LEFT;
    const int withBefore[] = {a, a + 1, b, b + 1};
    for (int i = 0; i < 4; ++i) {
        const int n = withBefore[i];
        if (n >= 1 && n < count && !isListed(withBefore, i, n) &&
            isDeadLine(board, lineStart(board, isRow, n), along, before, true)) {
            return true;
        }
    }
    const int withAfter[] = {a, a - 1, b, b - 1};
    for (int i = 0; i < 4; ++i) {
        const int n = withAfter[i];
        if (n >= 0 && n + 1 < count && !isListed(withAfter, i, n) &&
            isDeadLine(board, lineStart(board, isRow, n), along, reverse(before), false)) {
            return true;
        }
    }
    return false;
}

} // namespace

bool isTrappedAfterPush(const Board& board, CellIndex from, CellIndex to) {
    const int width = board.width;
    return hasDeadSquareAround(board, to) || hasDeadSquareAround(board, from) ||
           hasDeadLineNear(board, true, to / width, from / width) ||
           hasDeadLineNear(board, false, to % width, from % width);
}

namespace {

// A cell that can hold a box or the player: it is always an exit of a scan.
bool isFloorCell(std::uint8_t code) {
    return isEnterable(code) || isBox(code);
}

// The four scans as lines of the board: scan 1 reads row n against row n - 1, scan 2 column n
// against column n - 1, scan 3 row n against row n + 1, scan 4 column n against column n + 1.
struct Scan {
    bool isRow;
    Direction side;       // from the scanned line to the line beside it
    bool startsInScanned; // the start position is found in the scanned line (scans 1 and 2)
};

constexpr Scan SCANS[4] = {{true, DIR_UP, true},
                           {false, DIR_LEFT, true},
                           {true, DIR_DOWN, false},
                           {false, DIR_RIGHT, false}};

} // namespace

TrapAfterPush::TrapAfterPush(const Board& start)
    : stretchLine_(static_cast<std::size_t>(start.cellCount > 0 ? start.cellCount : 0),
                   std::array<CellIndex, 4>{NO_CELL, NO_CELL, NO_CELL, NO_CELL}),
      squaresAround_(stretchLine_.size(), 0) {
    for (CellIndex cell = 0; cell < start.cellCount; ++cell) {
        squaresAround_[static_cast<std::size_t>(cell)] = squaresAround(start, cell);
    }
    fixedStarts_ = true;
    for (int s = 0; s < 4; ++s) {
        const Scan& scan             = SCANS[s];
        const int count              = scan.isRow ? start.height : start.width;
        const int length             = scan.isRow ? start.width : start.height;
        const std::ptrdiff_t step    = scan.isRow ? 1 : start.width;
        const std::ptrdiff_t beside  = start.dirOffset[scan.side];
        const int neighbourDirection = scan.side == DIR_UP || scan.side == DIR_LEFT ? -1 : 1;
        for (int n = 0; n < count; ++n) {
            if (n + neighbourDirection < 0 || n + neighbourDirection >= count || length == 0) {
                continue; // this line is not scanned (or has no cells: a map of no rows)
            }
            const CellIndex first       = lineStart(start, scan.isRow, n);
            const std::uint8_t* scanned = &start.cells[static_cast<std::size_t>(first)];
            // 1. The start position is 0 whatever the boxes do unless the start line's first
            //    cell can be plain floor.
            const std::uint8_t firstCode = scan.startsInScanned ? scanned[0] : scanned[beside];
            if (isFloorCell(firstCode) && !isGoal(firstCode)) {
                fixedStarts_ = false;
            }
            // 2. The critical stretch: up to the first non-wall position whose neighbour is
            //    an exit.
            for (int p = 0; p < length; ++p) {
                if (scanned[p * step] != CELL_WALL && isFloorCell(scanned[p * step + beside])) {
                    break;
                }
                const auto cell =
                    static_cast<std::size_t>(static_cast<CellIndex>(first + p * step));
                stretchLine_[cell][static_cast<std::size_t>(s)] = first;
            }
        }
    }
}

bool TrapAfterPush::afterPush(const Board& board, CellIndex from, CellIndex to) const {
    if (!fixedStarts_) {
        return isTrappedAfterPush(board, from, to);
    }
    // The squares holding the cell the box arrived on. A box arriving on a goal
    // (CELL_BOX_ON_GOAL) matches only where any code does, as the empty goal did before.
    const std::uint8_t* at = &board.cells[static_cast<std::size_t>(to)];
    if (*at == CELL_BOX) {
        const std::ptrdiff_t width = board.width;
        const std::uint8_t squares = squaresAround_[static_cast<std::size_t>(to)];
        // Top-left corners: up-left, up, left, the cell itself.
        if (((squares & 1) != 0 && isDeadSquare(at[-width - 1], at[-width], at[-1], at[0])) ||
            ((squares & 2) != 0 && isDeadSquare(at[-width], at[-width + 1], at[0], at[1])) ||
            ((squares & 4) != 0 && isDeadSquare(at[-1], at[0], at[width - 1], at[width])) ||
            ((squares & 8) != 0 && isDeadSquare(at[0], at[1], at[width], at[width + 1]))) {
            return true;
        }
    }
    const std::array<CellIndex, 4>& lines = stretchLine_[static_cast<std::size_t>(to)];
    for (int s = 0; s < 4; ++s) {
        const CellIndex first = lines[static_cast<std::size_t>(s)];
        if (first == NO_CELL) {
            continue;
        }
        const Scan& scan = SCANS[s];
        if (isDeadLine(board, first, scan.isRow ? DIR_RIGHT : DIR_DOWN, scan.side,
                       scan.startsInScanned)) {
            return true;
        }
    }
    return false;
}

} // namespace goalbox
