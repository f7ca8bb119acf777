#include "solver/StaticLevel.h"

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
    : cellCount(board.cellCount), width(board.width), dirOffset(board.dirOffset),
      startPlayer(board.playerCell) {
    const auto cells = static_cast<std::size_t>(cellCount > 0 ? cellCount : 0);
    floorIndex.assign(cells, -1);
    goal.assign(cells, 0);
    pushable.assign(cells * DIR_COUNT, 0);
    for (std::size_t cell = 0; cell < cells; ++cell) {
        const std::uint8_t code = board.cells[cell];
        goal[cell]              = isGoal(code) ? 1 : 0;
        if (isFloor(code)) {
            floorIndex[cell] = static_cast<std::int32_t>(floorCells.size());
            floorCells.push_back(static_cast<CellIndex>(cell));
        }
    }
    floorCount = static_cast<std::int32_t>(floorCells.size());
    playerBits = static_cast<std::int32_t>(std::bit_width(static_cast<std::uint32_t>(floorCount)));
    keyWords   = std::max(1, (floorCount + playerBits + 63) / 64);

    // The walk steps between floor cells, by the rules of the walk path finder: a sideways
    // step never leaves its row, and a board one column wide has none.
    floorNeighbours.assign(static_cast<std::size_t>(floorCount) * DIR_COUNT, -1);
    for (std::int32_t f = 0; f < floorCount; ++f) {
        const CellIndex cell = floorCells[static_cast<std::size_t>(f)];
        const int column     = cell % width;
        for (std::int32_t dir = 0; dir < DIR_COUNT; ++dir) {
            const auto next = static_cast<CellIndex>(cell + dirOffset[dir]);
            const bool wraps =
                (dir == DIR_RIGHT && column == width - 1) || (dir == DIR_LEFT && column == 0);
            if (!wraps && board.isValidCell(next)) {
                floorNeighbours[static_cast<std::size_t>(f) * DIR_COUNT +
                                static_cast<std::size_t>(dir)] =
                    floorIndex[static_cast<std::size_t>(next)];
            }
        }
    }

    // The geometry of Board::move for a push from stand over the box cell onto beyond, every sum
    // taken in 16 bits as there.
    for (const CellIndex cell : floorCells) {
        for (std::int32_t dir = 0; dir < DIR_COUNT; ++dir) {
            const bool sideways = dir == DIR_RIGHT || dir == DIR_LEFT;
            const auto stand    = static_cast<CellIndex>(cell - dirOffset[dir]);
            const auto beyond   = static_cast<CellIndex>(cell + dirOffset[dir]);
            const bool ok       = !(board.width == 1 && sideways) && board.isValidCell(stand) &&
                            board.isValidCell(beyond) && board.sameRowOrColumn(cell, stand) &&
                            board.sameRowOrColumn(beyond, stand) &&
                            board.sameRowOrColumn(beyond, cell) &&
                            isFloor(board.cells[static_cast<std::size_t>(stand)]) &&
                            isFloor(board.cells[static_cast<std::size_t>(beyond)]);
            pushable[static_cast<std::size_t>(cell) * DIR_COUNT + static_cast<std::size_t>(dir)] =
                ok ? 1 : 0;
        }
    }
}

void StaticLevel::setPlayer(std::uint64_t* key, CellIndex player) const {
    const bool onFloor =
        player >= 0 && player < cellCount && floorIndex[static_cast<std::size_t>(player)] != -1;
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
    const std::int32_t f = floorIndex[static_cast<std::size_t>(from)];
    const std::int32_t t = floorIndex[static_cast<std::size_t>(to)];
    key[f / 64] &= ~(std::uint64_t{1} << (f % 64));
    key[t / 64] |= std::uint64_t{1} << (t % 64);
    setPlayer(key, from);
}

void StaticLevel::keyOf(const Board& board, std::uint64_t* key) const {
    for (std::int32_t w = 0; w < keyWords; ++w) {
        key[w] = 0;
    }
    for (std::int32_t f = 0; f < floorCount; ++f) {
        if (isBox(board.cells[static_cast<std::size_t>(floorCells[static_cast<std::size_t>(f)])])) {
            key[f / 64] |= std::uint64_t{1} << (f % 64);
        }
    }
    setPlayer(key, board.playerCell);
}

void StaticLevel::writeBoxes(const std::uint64_t* key, Board& board) const {
    for (std::int32_t f = 0; f < floorCount; ++f) {
        std::uint8_t& code =
            board.cells[static_cast<std::size_t>(floorCells[static_cast<std::size_t>(f)])];
        code = hasBox(key, f) ? withBox(code) : withoutBox(code);
    }
    board.playerCell = player(key);
}

} // namespace goalbox
