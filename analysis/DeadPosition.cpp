// The dead-position test. Unlike the rest of the program it compares whole cell codes: a box is
// exactly CELL_BOX, a wall exactly CELL_WALL and a goal exactly CELL_GOAL. It keeps no state and
// allocates nothing; its working data are a few counters.
#include "analysis/DeadPosition.h"

#include <cassert>
#include <cstddef>
#include <cstdint>

#include "board/Board.h"

namespace goalbox {

namespace {

// The code of cell (row, column). The index is taken as a 16-bit CellIndex like every other cell
// index of the program.
std::uint8_t cellAt(const Board& board, int row, int column) {
    const auto index = static_cast<CellIndex>(row * board.width + column);
    assert(index >= 0 && static_cast<std::size_t>(index) < board.cells.size());
    return board.cells[static_cast<std::size_t>(index)];
}

// One line of cells: the cell at position p is (row + p * rowStep, column + p * columnStep).
struct Line {
    int row;
    int column;
    int rowStep;
    int columnStep;

    std::uint8_t at(const Board& board, int p) const {
        return cellAt(board, row + p * rowStep, column + p * columnStep);
    }
};

// Reads the scanned line against its neighbour line, both length cells long. Scanning starts at
// the first position where the line named by startLine is not CELL_FLOOR; a line that is all
// floor there is passed over. The counters cover everything from that start and are not reset
// at a wall, so once one exit is counted nothing later in the line can be dead.
bool isDeadLine(const Board& board, const Line& scanned, const Line& neighbour,
                const Line& startLine, int length) {
    int p0 = 0;
    while (p0 < length && startLine.at(board, p0) == CELL_FLOOR) {
        ++p0;
    }
    if (p0 == length) {
        return false;
    }
    int boxes = 0;
    int goals = 0;
    int exits = 0;
    for (int p = p0; p < length; ++p) {
        const std::uint8_t x = scanned.at(board, p);
        if (x == CELL_WALL) {
            if (exits == 0 && boxes > goals) {
                return true;
            }
            continue;
        }
        if (x == CELL_BOX) {
            ++boxes;
        } else if (x == CELL_GOAL) {
            ++goals;
        }
        const std::uint8_t y = neighbour.at(board, p);
        if (y == CELL_BOX || y == CELL_FLOOR || y == CELL_BOX_ON_GOAL || y == CELL_GOAL) {
            ++exits;
        }
    }
    return exits == 0 && boxes > goals;
}

} // namespace

bool hasDeadSquare(const Board& board) {
    const int height = board.height;
    const int width  = board.width;
    for (int row = 0; row + 1 < height; ++row) {
        for (int column = 0; column + 1 < width; ++column) {
            if (isDeadSquare(cellAt(board, row, column), cellAt(board, row, column + 1),
                             cellAt(board, row + 1, column), cellAt(board, row + 1, column + 1))) {
                return true;
            }
        }
    }
    return false;
}

bool hasDeadWallLine(const Board& board) {
    const int height = board.height;
    const int width  = board.width;
    // 1. Each row against the row above, top to bottom; start where the row leaves the floor.
    for (int row = 1; row < height; ++row) {
        const Line scanned{row, 0, 0, 1};
        if (isDeadLine(board, scanned, Line{row - 1, 0, 0, 1}, scanned, width)) {
            return true;
        }
    }
    // 2. Each column against the column to its left; start where the column leaves the floor.
    for (int column = 1; column < width; ++column) {
        const Line scanned{0, column, 1, 0};
        if (isDeadLine(board, scanned, Line{0, column - 1, 1, 0}, scanned, height)) {
            return true;
        }
    }
    // 3. Each row against the row below, bottom to top; start where the row below leaves the
    //    floor.
    for (int row = height - 2; row >= 0; --row) {
        const Line neighbour{row + 1, 0, 0, 1};
        if (isDeadLine(board, Line{row, 0, 0, 1}, neighbour, neighbour, width)) {
            return true;
        }
    }
    // 4. Each column against the column to its right, right to left; start where the column to
    //    the right leaves the floor.
    for (int column = width - 2; column >= 0; --column) {
        const Line neighbour{0, column + 1, 1, 0};
        if (isDeadLine(board, Line{0, column, 1, 0}, neighbour, neighbour, height)) {
            return true;
        }
    }
    return false;
}

bool isTrapped(const Board& board) {
    return hasDeadSquare(board) || hasDeadWallLine(board);
}

} // namespace goalbox
