// The dead patterns below are those of analysis/DeadPosition.cpp, read over a few squares and
// lines only. They compare whole cell codes: a box is exactly CELL_BOX, a wall exactly
// CELL_WALL, a goal exactly CELL_GOAL.
#include "solver/TrapTest.h"

#include <cstddef>
#include <cstdint>

#include "analysis/DeadPosition.h"

namespace goalbox {

namespace {

std::uint8_t cellAt(const Board& board, int row, int column) {
    return board
        .cells[static_cast<std::size_t>(static_cast<CellIndex>(row * board.width + column))];
}

bool isDeadSquareAt(const Board& board, int row, int column) {
    return isDeadSquare(cellAt(board, row, column), cellAt(board, row, column + 1),
                        cellAt(board, row + 1, column), cellAt(board, row + 1, column + 1));
}

// A row (rows true) or a column, by number.
struct Line {
    bool isRow;
    int number;

    std::uint8_t at(const Board& board, int p) const {
        return isRow ? cellAt(board, number, p) : cellAt(board, p, number);
    }
};

// One wall-line check: the scanned line against its neighbour, starting where startLine leaves
// the floor, the counters running on across walls.
bool isDeadLine(const Board& board, Line scanned, Line neighbour, Line startLine) {
    const int length = scanned.isRow ? board.width : board.height;
    int p0           = 0;
    while (p0 < length && startLine.at(board, p0) == CELL_FLOOR) {
        ++p0;
    }
    if (p0 == length) {
        return false;
    }
    int boxes = 0;
    int goals = 0;
    for (int p = p0; p < length; ++p) {
        const std::uint8_t x = scanned.at(board, p);
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
        const std::uint8_t y = neighbour.at(board, p);
        if (y == CELL_BOX || y == CELL_FLOOR || y == CELL_BOX_ON_GOAL || y == CELL_GOAL) {
            // An exit: nothing later in this line can be dead.
            return false;
        }
    }
    return boxes > goals;
}

// The squares whose top-left corner is (row - 1 .. row, column - 1 .. column).
bool hasDeadSquareAround(const Board& board, int row, int column) {
    for (int r = row - 1; r <= row; ++r) {
        for (int c = column - 1; c <= column; ++c) {
            if (r >= 0 && c >= 0 && r + 1 < board.height && c + 1 < board.width &&
                isDeadSquareAt(board, r, c)) {
                return true;
            }
        }
    }
    return false;
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
    const int count    = isRow ? board.height : board.width;
    const int before[] = {a, a + 1, b, b + 1};
    for (int i = 0; i < 4; ++i) {
        const int n = before[i];
        if (n >= 1 && n < count && !isListed(before, i, n)) {
            const Line scanned{isRow, n};
            if (isDeadLine(board, scanned, Line{isRow, n - 1}, scanned)) {
                return true;
            }
        }
    }
    const int after[] = {a, a - 1, b, b - 1};
    for (int i = 0; i < 4; ++i) {
        const int n = after[i];
        if (n >= 0 && n + 1 < count && !isListed(after, i, n)) {
            const Line neighbour{isRow, n + 1};
            if (isDeadLine(board, Line{isRow, n}, neighbour, neighbour)) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

bool isTrappedAfterPush(const Board& board, CellIndex from, CellIndex to) {
    const int width   = board.width;
    const int fromRow = from / width;
    const int fromCol = from % width;
    const int toRow   = to / width;
    const int toCol   = to % width;
    return hasDeadSquareAround(board, toRow, toCol) ||
           hasDeadSquareAround(board, fromRow, fromCol) ||
           hasDeadLineNear(board, true, toRow, fromRow) ||
           hasDeadLineNear(board, false, toCol, fromCol);
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
    int step;             // from the scanned line to its neighbour
    bool startsInScanned; // the start position is found in the scanned line (scans 1 and 2)
};

constexpr Scan SCANS[4] = {
    {true, -1, true}, {false, -1, true}, {true, 1, false}, {false, 1, false}};

} // namespace

TrapTest::TrapTest(const Board& start)
    : stretchLine_(static_cast<std::size_t>(start.cellCount > 0 ? start.cellCount : 0),
                   std::array<std::int16_t, 4>{-1, -1, -1, -1}),
      squaresAround_(stretchLine_.size(), 0) {
    // The 2x2 squares on the grid that hold each cell, by their top-left corner.
    for (int row = 0; row < start.height; ++row) {
        for (int column = 0; column < start.width; ++column) {
            const bool up = row > 0, down = row + 1 < start.height;
            const bool left = column > 0, right = column + 1 < start.width;
            squaresAround_[static_cast<std::size_t>(row * start.width + column)] =
                static_cast<std::uint8_t>((up && left ? 1 : 0) | (up && right ? 2 : 0) |
                                          (down && left ? 4 : 0) | (down && right ? 8 : 0));
        }
    }
    fixedStarts_ = true;
    for (int s = 0; s < 4; ++s) {
        const Scan& scan = SCANS[s];
        const int count  = scan.isRow ? start.height : start.width;
        const int length = scan.isRow ? start.width : start.height;
        for (int n = 0; n < count; ++n) {
            const int neighbourNumber = n + scan.step;
            if (neighbourNumber < 0 || neighbourNumber >= count || length == 0) {
                continue; // this line is not scanned (or has no cells: a map of no rows)
            }
            const Line scanned{scan.isRow, n};
            const Line neighbour{scan.isRow, neighbourNumber};
            const Line startLine = scan.startsInScanned ? scanned : neighbour;
            // 1. The start position is 0 whatever the boxes do unless the start line's first
            //    cell can be plain floor.
            const std::uint8_t first = startLine.at(start, 0);
            if (isFloorCell(first) && !isGoal(first)) {
                fixedStarts_ = false;
            }
            // 2. The critical stretch: up to the first non-wall position whose neighbour is
            //    an exit.
            for (int p = 0; p < length; ++p) {
                if (scanned.at(start, p) != CELL_WALL && isFloorCell(neighbour.at(start, p))) {
                    break;
                }
                const int row    = scan.isRow ? n : p;
                const int column = scan.isRow ? p : n;
                const auto cell =
                    static_cast<std::size_t>(static_cast<CellIndex>(row * start.width + column));
                stretchLine_[cell][static_cast<std::size_t>(s)] = static_cast<std::int16_t>(n);
            }
        }
    }
}

bool TrapTest::afterPush(const Board& board, CellIndex from, CellIndex to) const {
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
    const std::array<std::int16_t, 4>& lines = stretchLine_[static_cast<std::size_t>(to)];
    for (int s = 0; s < 4; ++s) {
        const int n = lines[static_cast<std::size_t>(s)];
        if (n == -1) {
            continue;
        }
        const Scan& scan = SCANS[s];
        const Line scanned{scan.isRow, n};
        const Line neighbour{scan.isRow, n + scan.step};
        if (isDeadLine(board, scanned, neighbour, scan.startsInScanned ? scanned : neighbour)) {
            return true;
        }
    }
    return false;
}

} // namespace goalbox
