// The board model: construction, derived values, the player's step or push, snapshots and the
// solved test. Every sum and product of indices is taken in 16 bits, like the fields.
#include "board/Board.h"

#include <algorithm>
#include <cstddef>

namespace goalbox {

Board::Board() : cells{CELL_FLOOR} {
    init();
}

void Board::init() {
    dirOffset = {1, width, static_cast<std::int16_t>(-width), -1};
    cellCount = static_cast<std::int16_t>(height * width);
    boxCount  = static_cast<std::int16_t>(std::count_if(cells.begin(), cells.end(), isBox));
    // The table depends on the grid's size alone, so restoring a position keeps it.
    if (neighbours.height == height && neighbours.width == width) {
        return;
    }
    neighbours.height = height;
    neighbours.width  = width;
    neighbours.next.resize(static_cast<std::size_t>(std::max<int>(cellCount, 0)));
    for (CellIndex cell = 0; cell < cellCount; ++cell) {
        for (int d = 0; d < DIR_COUNT; ++d) {
            const bool sideways = d == DIR_RIGHT || d == DIR_LEFT;
            const auto next     = static_cast<CellIndex>(cell + dirOffset[d]);
            const bool allowed =
                !(sideways && width == 1) && isValidCell(next) && sameRowOrColumn(cell, next);
            neighbours.next[static_cast<std::size_t>(cell)][d] = allowed ? next : NO_CELL;
        }
    }
}

bool Board::sameRowOrColumn(CellIndex a, CellIndex b) const {
    if (width == 0) {
        return false;
    }
    return a % width == b % width || a / width == b / width;
}

CellIndex Board::move(Direction d) {
    // 1. A step must stay on the grid and must not wrap from one row end into the next row:
    //    the neighbour table allows only such steps.
    if (!isValidCell(playerCell)) {
        return -1;
    }
    const CellIndex target = neighbour(playerCell, d);
    if (target == NO_CELL) {
        return -1;
    }
    // 2. Floor or goal: the player steps there.
    if (isEnterable(cells[target])) {
        ++steps;
        playerCell = target;
        return target;
    }
    // 3. Wall or outside: refused.
    if (!isBox(cells[target])) {
        return -1;
    }
    // 4. A box: the cell beyond must be one step further from the box's cell, so in line with
    //    the player and the box, and enterable. On a board two columns wide the cell
    //    dirOffset[d] beyond a box at a row end lies in the player's column one row further on;
    //    taking the step from the box's cell keeps the box from crossing into the next row.
    const CellIndex beyond = neighbour(target, d);
    if (beyond == NO_CELL || !isEnterable(cells[beyond])) {
        return -1;
    }
    // 5. Push: one box moves one cell; goals stay goals.
    cells[beyond] = withBox(cells[beyond]);
    cells[target] = withoutBox(cells[target]);
    ++steps;
    playerCell = target;
    return target;
}

void Board::saveSnapshot(BoardSnapshot& s) const {
    s.boxBits.resize(cellCount);
    std::fill(s.boxBits.words.begin(), s.boxBits.words.end(), 0);
    for (CellIndex cell = 0; cell < cellCount; ++cell) {
        if (isBox(cells[cell])) {
            s.boxBits.set(cell);
        }
    }
    s.playerCell = playerCell;
    s.steps      = steps;
}

void Board::restoreSnapshot(const BoardSnapshot& s) {
    playerCell = s.playerCell;
    steps      = s.steps;
    for (CellIndex cell = 0; cell < cellCount; ++cell) {
        if (s.boxBits.test(cell)) {
            cells[cell] = withBox(cells[cell]);
        } else if (isBox(cells[cell])) {
            cells[cell] = withoutBox(cells[cell]);
        }
    }
}

bool Board::isSolved() const {
    return boxCount != 0 && std::count(cells.begin(), cells.end(), CELL_BOX_ON_GOAL) == boxCount;
}

} // namespace goalbox
