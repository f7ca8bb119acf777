// The dead-position test. Unlike the rest of the program it compares whole cell codes: a box is
// exactly CELL_BOX, a wall exactly CELL_WALL and a goal exactly CELL_GOAL. It keeps no state and
// allocates nothing; its working data are a few counters.
#include "analysis/DeadPosition.h"

#include <array>
#include <cstddef>
#include <cstdint>

#include "board/Board.h"

namespace goalbox {

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
