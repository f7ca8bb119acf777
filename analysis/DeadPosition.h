#ifndef ANALYSIS_DEADPOSITION_H
#define ANALYSIS_DEADPOSITION_H

#include <cassert>
#include <cstddef>
#include <cstdint>

#include "board/Board.h"

namespace goalbox {

// True when the position shows one of the fixed dead patterns: a 2x2 square of boxes and walls
// (hasDeadSquare) or a box stuck along a line of walls (hasDeadWallLine). Reads only cells and
// what init derives from height and width, so the player's position never matters; changes
// nothing, allocates nothing.
bool isTrapped(const Board& board);

// The two halves of isTrapped. Both compare whole cell codes: CELL_BOX_ON_GOAL is never a box.
//
// hasDeadSquare: some 2x2 square holds four CELL_BOX, a CELL_BOX with CELL_WALL on both sides
// of its corner, or two CELL_BOX side by side with two CELL_WALL beside both of them.
bool hasDeadSquare(const Board& board);
// hasDeadWallLine: some row or column, read together with the row or column next to it, has
// more CELL_BOX than CELL_GOAL and no exit (an enterable or box cell next to it) up to a wall
// or its end. Its counters run on across walls.
bool hasDeadWallLine(const Board& board);

// The 2x2 squares on the grid that hold cell, by the board's neighbour table: bits 1, 2, 4, 8
// for those whose top-left corner is up-left of the cell, above it, left of it, the cell itself.
std::uint8_t squaresAround(const Board& board, CellIndex cell);

// The nine dead 2x2 patterns, over the codes of the cells top-left, top-right, bottom-left and
// bottom-right. Inline, since the solver asks it for every square a push touches.
inline bool isDeadSquare(std::uint8_t tl, std::uint8_t tr, std::uint8_t bl, std::uint8_t br) {
    constexpr std::uint8_t B = CELL_BOX;
    constexpr std::uint8_t W = CELL_WALL;
    // Four boxes.
    if (tl == B && tr == B && bl == B && br == B) {
        return true;
    }
    // A box in a corner; the cell diagonally opposite may hold anything.
    if ((tl == B && tr == W && bl == W) || (tr == B && tl == W && br == W) ||
        (bl == B && tl == W && br == W) || (br == B && tr == W && bl == W)) {
        return true;
    }
    // Two boxes side by side with walls along the same side of both.
    return (tl == B && tr == B && bl == W && br == W) ||
           (tl == W && tr == W && bl == B && br == B) ||
           (tl == B && bl == B && tr == W && br == W) || (tl == W && bl == W && tr == B && br == B);
}

// isDeadSquare of the square whose top-left corner is cell topLeft (the square on the grid).
inline bool isDeadSquareAt(const Board& board, CellIndex topLeft) {
    const std::uint8_t* at     = &board.cells[static_cast<std::size_t>(topLeft)];
    const std::ptrdiff_t width = board.width;
    return isDeadSquare(at[0], at[1], at[width], at[width + 1]);
}

// One wall-line scan of hasDeadWallLine, for the solver's narrowed tests too. The scanned line
// is the whole row (along DIR_RIGHT) or column (along DIR_DOWN) that begins at cell first; it is
// read against the line beside it in direction side, which must be on the grid as well. The scan
// starts at the first position where the scanned line (startsInScanned) or the line beside it is
// not CELL_FLOOR; a line that is all floor there is passed over. It is dead when, counting the
// CELL_BOX and CELL_GOAL cells of the scanned line from the start on, it meets a CELL_WALL or its
// end with more boxes than goals before any exit: a cell beside a non-wall position that is
// enterable or holds a box. The counters run on across walls. Inline, since the solver asks it
// for every line a push touches.
inline bool isDeadLine(const Board& board, CellIndex first, Direction along, Direction side,
                       bool startsInScanned) {
    assert(along == DIR_RIGHT || along == DIR_DOWN);
    const int length            = along == DIR_RIGHT ? board.width : board.height;
    const std::ptrdiff_t step   = board.dirOffset[along];
    const std::ptrdiff_t beside = board.dirOffset[side];
    if (length <= 0) {
        return false;
    }
    const std::uint8_t* scanned = &board.cells[static_cast<std::size_t>(first)];
    const std::uint8_t* start   = startsInScanned ? scanned : scanned + beside;
    // 1. The start position: the first where the start line is not plain floor.
    int p0 = 0;
    while (p0 < length && start[p0 * step] == CELL_FLOOR) {
        ++p0;
    }
    // 2. Boxes against goals from there, up to a wall or the end; an exit ends the scan, since
    //    nothing later in the line can be dead once one is counted.
    int boxes = 0;
    int goals = 0;
    for (int p = p0; p < length; ++p) {
        const std::uint8_t x = scanned[p * step];
        if (x == CELL_WALL) {
            if (boxes > goals) {
                return true;
            }
            continue;
        }
        if (x == CELL_BOX) {
            ++boxes;
        } else if (x == CELL_GOAL) {
            ++goals;
        }
        const std::uint8_t y = scanned[p * step + beside];
        if (y == CELL_BOX || y == CELL_FLOOR || y == CELL_BOX_ON_GOAL || y == CELL_GOAL) {
            return false;
        }
    }
    return boxes > goals;
}

} // namespace goalbox

#endif
