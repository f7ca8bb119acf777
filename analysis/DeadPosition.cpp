// The dead-position test. Unlike the rest of the program it compares whole cell codes: a box is
// exactly CELL_BOX, a wall exactly CELL_WALL and a goal exactly CELL_GOAL. It keeps no state and
// allocates nothing; its working data are a few counters.
#include "analysis/DeadPosition.h"

#include <array>
#include <cassert>
#include <cstddef>
#include <cstdint>

#include "board/Board.h"

namespace goalbox {

bool isDeadLine(const Board& board, CellIndex first, Direction along, Direction side,
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

std::uint8_t squaresAround(const Board& board, CellIndex cell) {
    const std::array<CellIndex, DIR_COUNT>& next = board.neighboursOf(cell);
    const bool up                                = next[DIR_UP] != NO_CELL;
    const bool down                              = next[DIR_DOWN] != NO_CELL;
    const bool left                              = next[DIR_LEFT] != NO_CELL;
    const bool right                             = next[DIR_RIGHT] != NO_CELL;
    return static_cast<std::uint8_t>((up && left ? 1 : 0) | (up && right ? 2 : 0) |
                                     (down && left ? 4 : 0) | (down && right ? 8 : 0));
}

bool hasDeadSquare(const Board& board) {
    for (CellIndex cell = 0; cell < board.cellCount; ++cell) {
        if ((squaresAround(board, cell) & 8) != 0 && isDeadSquareAt(board, cell)) {
            return true;
        }
    }
    return false;
}

bool hasDeadWallLine(const Board& board) {
    const int height = board.height;
    const int width  = board.width;
    // 1. Each row against the row above, top to bottom; start where the row leaves the floor.
    for (int row = 1; row < height; ++row) {
        if (isDeadLine(board, static_cast<CellIndex>(row * width), DIR_RIGHT, DIR_UP, true)) {
            return true;
        }
    }
    // 2. Each column against the column to its left; start where the column leaves the floor.
    for (int column = 1; column < width; ++column) {
        if (isDeadLine(board, static_cast<CellIndex>(column), DIR_DOWN, DIR_LEFT, true)) {
            return true;
        }
    }
    // 3. Each row against the row below, bottom to top; start where the row below leaves the
    //    floor.
    for (int row = height - 2; row >= 0; --row) {
        if (isDeadLine(board, static_cast<CellIndex>(row * width), DIR_RIGHT, DIR_DOWN, false)) {
            return true;
        }
    }
    // 4. Each column against the column to its right, right to left; start where the column to
    //    the right leaves the floor.
    for (int column = width - 2; column >= 0; --column) {
        if (isDeadLine(board, static_cast<CellIndex>(column), DIR_DOWN, DIR_RIGHT, false)) {
            return true;
        }
    }
    return false;
}

bool isTrapped(const Board& board) {
    return hasDeadSquare(board) || hasDeadWallLine(board);
}

} // namespace goalbox
