#include "solver/positions/StaticLevel.h"

#include <algorithm>

namespace goalbox {

namespace {

// A cell that a box can ever stand on and the player can ever walk on: no push or walk changes
// whether a cell is enterable or holds a box.
bool isFloor(std::uint8_t code) {
    return isEnterable(code) || isBox(code);
}

} // namespace

StaticLevel::StaticLevel(const Board& board)
    : cellCount(board.cellCount), dirOffset(board.dirOffset), startPlayer(board.playerCell) {
    const auto cells = static_cast<std::size_t>(cellCount > 0 ? cellCount : 0);
    floorIndex.assign(cells, NO_FLOOR);
    goal.assign(cells, 0);
    pushable.assign(cells * DIR_COUNT, 0);
    for (std::size_t cell = 0; cell < cells; ++cell) {
        const std::uint8_t code = board.cells[cell];
        goal[cell]              = isGoal(code) ? 1 : 0;
        if (isFloor(code)) {
            floorIndex[cell] = static_cast<std::int32_t>(floorCells.size());
            if (isGoal(code)) {
                goalFloors.push_back(floorIndex[cell]);
            }
            floorCells.push_back(static_cast<CellIndex>(cell));
        }
    }
    floorCount  = static_cast<std::int32_t>(floorCells.size());
    playerBits  = static_cast<std::int32_t>(std::bit_width(static_cast<std::uint32_t>(floorCount)));
    keyWords    = std::max(1, (floorCount + playerBits + 63) / 64);
    boxWords    = (floorCount + 63) / 64;
    lastBoxMask = floorCount % 64 == 0 ? (floorCount == 0 ? 0 : ~std::uint64_t{0})
                                       : (std::uint64_t{1} << (floorCount % 64)) - 1;

    // The walk steps between floor cells and the pushes the grid allows, both from the board's
    // neighbour table: a push over a cell needs a floor cell to stand on one step behind it and
    // a floor cell one step beyond it, as Board::move takes them.
    floorNeighbours.assign(static_cast<std::size_t>(floorCount) * DIR_COUNT, NO_FLOOR);
    for (std::int32_t f = 0; f < floorCount; ++f) {
        const CellIndex cell = floorCells[static_cast<std::size_t>(f)];
        for (std::int32_t d = 0; d < DIR_COUNT; ++d) {
            const auto dir       = static_cast<Direction>(d);
            const CellIndex next = board.neighbour(cell, dir);
            const CellIndex back = board.neighbour(cell, reverse(dir));
            const auto at = static_cast<std::size_t>(f) * DIR_COUNT + static_cast<std::size_t>(d);
            if (next != NO_CELL) {
                floorNeighbours[at] = floorIndex[static_cast<std::size_t>(next)];
            }
            const bool ok = next != NO_CELL && back != NO_CELL &&
                            isFloor(board.cells[static_cast<std::size_t>(next)]) &&
                            isFloor(board.cells[static_cast<std::size_t>(back)]);
            pushable[static_cast<std::size_t>(cell) * DIR_COUNT + static_cast<std::size_t>(d)] =
                ok ? 1 : 0;
        }
    }
}

void StaticLevel::setPlayer(std::uint64_t* key, CellIndex player) const {
    const bool onFloor = player >= 0 && player < cellCount &&
                         floorIndex[static_cast<std::size_t>(player)] != NO_FLOOR;
    const auto value =
        static_cast<std::uint64_t>(onFloor ? floorIndex[static_cast<std::size_t>(player)] + 1 : 0);
    const std::uint64_t mask = (std::uint64_t{1} << playerBits) - 1;
    const std::int32_t word  = floorCount / 64;
    const std::int32_t shift = floorCount % 64;
    key[word] &= ~(mask << shift);
    key[word] |= value << shift;
    if (shift + playerBits > 64) {
        // The player's bits run on into the next word.
        key[word + 1] &= ~(mask >> (64 - shift));
        key[word + 1] |= value >> (64 - shift);
    }
}

CellIndex StaticLevel::player(const std::uint64_t* key) const {
    const std::int32_t word  = floorCount / 64;
    const std::int32_t shift = floorCount % 64;
    std::uint64_t value      = key[word] >> shift;
    if (shift + playerBits > 64) {
        value |= key[word + 1] << (64 - shift);
    }
    value &= (std::uint64_t{1} << playerBits) - 1;
    return value == 0 ? startPlayer : floorCells[static_cast<std::size_t>(value - 1)];
}

void StaticLevel::applyPush(std::uint64_t* key, CellIndex from, CellIndex to) const {
    removeBox(key, floorIndex[static_cast<std::size_t>(from)]);
    addBox(key, floorIndex[static_cast<std::size_t>(to)]);
    setPlayer(key, from);
}

void StaticLevel::keyOf(const Board& board, std::uint64_t* key) const {
    for (std::int32_t w = 0; w < keyWords; ++w) {
        key[w] = 0;
    }
    for (std::int32_t f = 0; f < floorCount; ++f) {
        if (isBox(board.cells[static_cast<std::size_t>(floorCells[static_cast<std::size_t>(f)])])) {
            addBox(key, f);
        }
    }
    setPlayer(key, board.playerCell);
}

std::vector<std::uint64_t> StaticLevel::keyOf(const Board& board) const {
    std::vector<std::uint64_t> key(static_cast<std::size_t>(keyWords));
    keyOf(board, key.data());
    return key;
}

SolutionStep StaticLevel::pushBetween(const std::uint64_t* before,
                                      const std::uint64_t* after) const {
    CellIndex from = NO_CELL;
    CellIndex to   = NO_CELL;
    for (std::int32_t w = 0; w < boxWords; ++w) {
        const std::uint64_t left    = boxWord(before, w) & ~boxWord(after, w);
        const std::uint64_t arrived = boxWord(after, w) & ~boxWord(before, w);
        if (left != 0) {
            from = floorCells[static_cast<std::size_t>(w * 64 + std::countr_zero(left))];
        }
        if (arrived != 0) {
            to = floorCells[static_cast<std::size_t>(w * 64 + std::countr_zero(arrived))];
        }
    }
    // On a board one column wide right and down share an offset; only down is a push there.
    std::int32_t dir = 0;
    while (dir + 1 < DIR_COUNT &&
           (static_cast<CellIndex>(from + dirOffset[dir]) != to || !isPushable(from, dir))) {
        ++dir;
    }
    return SolutionStep{static_cast<CellIndex>(from - dirOffset[dir]), static_cast<Direction>(dir)};
}

} // namespace goalbox
