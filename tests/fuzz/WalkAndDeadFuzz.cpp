// Fuzz target: the dead-position test and the walk path finder on arbitrary small boards.
//
// The board comes straight from the bytes: height and width 0 to 16, every cell one of the six
// codes, the player on any cell. isTrapped must stay inside the grid; for every target (inside
// the grid and a little outside it) walkDistance, walkTo and walkDistances must agree, a refused
// walk must change nothing, and a delivered walk must replay with Board::move from the player's
// cell to the target in exactly its length, stepping only onto enterable cells.
#include <cstddef>
#include <cstdint>

#include <fuzzer/FuzzedDataProvider.h>

#include "analysis/DeadPosition.h"
#include "board/Board.h"
#include "board/WalkSearch.h"
#include "tests/fuzz/FuzzCheck.h"

namespace goalbox::fuzz {
namespace {

constexpr int MAX_SIDE           = 16;
constexpr std::uint8_t CODES[]   = {CELL_OUTSIDE, CELL_WALL,        CELL_BOX,
                                    CELL_FLOOR,   CELL_BOX_ON_GOAL, CELL_GOAL};
constexpr std::size_t CODE_COUNT = sizeof CODES / sizeof CODES[0];

Board boardFrom(FuzzedDataProvider& provider) {
    Board board;
    board.height    = static_cast<std::int16_t>(provider.ConsumeIntegralInRange<int>(0, MAX_SIDE));
    board.width     = static_cast<std::int16_t>(provider.ConsumeIntegralInRange<int>(0, MAX_SIDE));
    const int count = board.height * board.width;
    board.cells.resize(static_cast<std::size_t>(count));
    board.playerCell =
        static_cast<CellIndex>(count == 0 ? 0 : provider.ConsumeIntegralInRange<int>(0, count - 1));
    board.steps = provider.ConsumeIntegral<std::int16_t>() % 1000;
    for (std::uint8_t& cell : board.cells) {
        // Exhausted input reads as 0: the rest of the board is outside.
        cell = CODES[provider.ConsumeIntegralInRange<std::size_t>(0, CODE_COUNT - 1)];
    }
    board.init();
    return board;
}

bool sameBoard(const Board& a, const Board& b) {
    return a.cells == b.cells && a.playerCell == b.playerCell && a.height == b.height &&
           a.width == b.width && a.steps == b.steps && a.cellCount == b.cellCount &&
           a.boxCount == b.boxCount && a.dirOffset == b.dirOffset;
}

void checkWalkTo(const Board& board, CellIndex target, std::int16_t distance) {
    Board walked = board;
    WalkPath path{DIR_UP}; // something already there: the walk is appended behind it
    const std::int16_t length = walked.walkTo(target, path);
    FUZZ_CHECK(length == distance);
    FUZZ_CHECK(!path.empty() && path.front() == DIR_UP);
    path.pop_front();
    if (length == -1) {
        FUZZ_CHECK(path.empty());
        FUZZ_CHECK(sameBoard(walked, board));
        return;
    }
    FUZZ_CHECK(path.size() == static_cast<std::size_t>(length));
    FUZZ_CHECK(walked.playerCell == target);
    FUZZ_CHECK(walked.steps == static_cast<std::int16_t>(board.steps + length));
    FUZZ_CHECK(walked.cells == board.cells);

    Board replay = board;
    for (const Direction d : path) {
        const CellIndex reached = replay.move(d);
        FUZZ_CHECK(reached != -1);
        FUZZ_CHECK(isEnterable(board.cells[static_cast<std::size_t>(reached)]));
    }
    FUZZ_CHECK(replay.playerCell == target);
    FUZZ_CHECK(replay.steps == walked.steps);
    FUZZ_CHECK(replay.cells == board.cells); // only steps, never a push

    Board jumped = board;
    FUZZ_CHECK(jumped.jumpTo(target) == length);
    FUZZ_CHECK(sameBoard(jumped, walked));
}

} // namespace
} // namespace goalbox::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace goalbox;
    using namespace goalbox::fuzz;
    FuzzedDataProvider provider(data, size);
    const Board board = boardFrom(provider);

    const Board before    = board;
    const bool trapped    = isTrapped(board);
    const bool deadSquare = hasDeadSquare(board);
    const bool deadLine   = hasDeadWallLine(board);
    FUZZ_CHECK(trapped == (deadSquare || deadLine));
    FUZZ_CHECK(sameBoard(board, before));

    // Scratches kept for every input, so that their records hold the marks of earlier boards:
    // one for all walks at once, one for the walks to one target.
    static WalkScratch all;
    static WalkScratch scratch;
    walkDistances(board, all);
    for (int target = -2; target < board.cellCount + 2; ++target) {
        const auto cell             = static_cast<CellIndex>(target);
        const std::int16_t distance = board.walkDistance(cell, scratch);
        FUZZ_CHECK(distance >= -1);
        if (board.isValidCell(cell) && isEnterable(board.cells[static_cast<std::size_t>(cell)])) {
            FUZZ_CHECK(all.distance(cell) == distance);
        } else {
            FUZZ_CHECK(distance == -1);
        }
        checkWalkTo(board, cell, distance);
    }
    FUZZ_CHECK(sameBoard(board, before));
    return 0;
}
