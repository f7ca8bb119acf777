// The pieces under the fast search against what they stand in for: the narrowed dead test
// against isTrapped, the pushes of one walk search against jumpTo, move and isTrapped one push
// at a time, and the compact keys against the board.
#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/DeadPosition.h"
#include "board/Board.h"
#include "solver/dead/TrapAfterPush.h"
#include "solver/positions/PushGenerator.h"
#include "solver/positions/StaticLevel.h"

namespace goalbox {
namespace {

// A random board of height x width cells (each 1 to maxSide): mostly floor, some walls, boxes,
// goals, boxes on goals and outside cells, the player on a random cell. With ring set, the
// border is wall or outside, as on a loaded level; without it, rows and columns can start with
// plain floor.
Board randomBoard(std::mt19937& random, int maxSide, bool ring) {
    std::uniform_int_distribution<int> side(1, maxSide);
    const int height                  = side(random);
    const int width                   = side(random);
    static const std::uint8_t codes[] = {
        CELL_FLOOR, CELL_FLOOR, CELL_FLOOR, CELL_FLOOR, CELL_FLOOR, CELL_WALL,        CELL_WALL,
        CELL_BOX,   CELL_BOX,   CELL_BOX,   CELL_GOAL,  CELL_GOAL,  CELL_BOX_ON_GOAL, CELL_OUTSIDE};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof codes - 1);
    Board board;
    board.height = static_cast<std::int16_t>(height);
    board.width  = static_cast<std::int16_t>(width);
    board.cells.resize(static_cast<std::size_t>(height * width));
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            const bool border = row == 0 || column == 0 || row == height - 1 || column == width - 1;
            std::uint8_t code = codes[pick(random)];
            if (ring && border) {
                code = random() % 3 == 0 ? CELL_OUTSIDE : CELL_WALL;
            }
            board.cells[static_cast<std::size_t>(row * width + column)] = code;
        }
    }
    board.init();
    board.playerCell = static_cast<CellIndex>(random() % static_cast<unsigned>(height * width));
    return board;
}

// The expansion of the search procedure, one jumpTo, move and isTrapped per trial push, with
// the board restored after each: what PushGenerator must give.
std::vector<Push> plainPushes(const Board& start) {
    std::vector<Push> pushes;
    for (CellIndex cell = 0; cell < start.cellCount; ++cell) {
        if (!isBox(start.cells[static_cast<std::size_t>(cell)])) {
            continue;
        }
        for (std::int32_t d = 0; d < DIR_COUNT; ++d) {
            Board board       = start;
            const auto dir    = static_cast<Direction>(d);
            const auto stand  = static_cast<CellIndex>(cell - board.dirOffset[dir]);
            const auto before = board.steps;
            if (board.jumpTo(stand) == -1 || board.move(dir) == -1 || isTrapped(board)) {
                continue;
            }
            pushes.push_back(Push{cell, static_cast<CellIndex>(cell + board.dirOffset[dir]), dir,
                                  static_cast<std::int16_t>(board.steps - before)});
        }
    }
    return pushes;
}

bool samePushes(const std::vector<Push>& a, const std::vector<Push>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].from != b[i].from || a[i].to != b[i].to || a[i].dir != b[i].dir ||
            a[i].cost != b[i].cost) {
            return false;
        }
    }
    return true;
}

std::string describe(const Board& board) {
    std::string text = "player " + std::to_string(board.playerCell) + "\n";
    for (int row = 0; row < board.height; ++row) {
        for (int column = 0; column < board.width; ++column) {
            text +=
                std::to_string(board.cells[static_cast<std::size_t>(row * board.width + column)]) +
                ' ';
        }
        text += '\n';
    }
    return text;
}

// Every push from an untrapped position, on boards with and without a wall ring: the narrowed
// tests say what isTrapped says after the push.
TEST(TrapAfterPush, AgreesWithIsTrappedAfterEveryPush) {
    std::mt19937 random(271828);
    int trappedAfter = 0;
    int checked      = 0;
    for (int round = 0; round < 6000; ++round) {
        const bool ring = round % 2 == 0;
        Board board     = randomBoard(random, 9, ring);
        if (isTrapped(board)) {
            continue;
        }
        const TrapAfterPush test(board);
        for (CellIndex from = 0; from < board.cellCount; ++from) {
            if (!isBox(board.cells[static_cast<std::size_t>(from)])) {
                continue;
            }
            for (std::int32_t d = 0; d < DIR_COUNT; ++d) {
                const auto to = static_cast<CellIndex>(from + board.dirOffset[d]);
                if (to < 0 || to >= board.cellCount ||
                    !isEnterable(board.cells[static_cast<std::size_t>(to)]) ||
                    !board.sameRowOrColumn(from, to)) {
                    continue;
                }
                Board after = board;
                after.cells[static_cast<std::size_t>(to)] =
                    withBox(after.cells[static_cast<std::size_t>(to)]);
                after.cells[static_cast<std::size_t>(from)] =
                    withoutBox(after.cells[static_cast<std::size_t>(from)]);
                const bool expected = isTrapped(after);
                EXPECT_EQ(isTrappedAfterPush(after, from, to), expected) << describe(after);
                EXPECT_EQ(test.afterPush(after, from, to), expected) << describe(after);
                trappedAfter += expected ? 1 : 0;
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 5000);
    EXPECT_GT(trappedAfter, checked / 40);
    EXPECT_LT(trappedAfter, checked * 9 / 10);
}

// The pushes of a position, their order and their costs, come out as the expansion of the
// search procedure makes them, whatever position the generator showed before. Every fourth
// board may have more than 64 floor cells, where the walks are not measured by layers.
TEST(PushGenerator, GivesThePushesOfTheSearchProcedure) {
    std::mt19937 random(314159);
    int pushes = 0;
    for (int round = 0; round < 4000; ++round) {
        Board start = randomBoard(random, round % 4 == 0 ? 12 : 8, round % 3 != 0);
        start.steps = static_cast<std::int16_t>(round % 11);
        const StaticLevel level(start);
        PushGenerator generator(start, level);
        std::vector<Push> generated;
        Board board = start;
        for (int move = 0; move < 6; ++move) {
            // The generator is put straight into the board's position, from whatever it showed.
            std::vector<std::uint64_t> key(static_cast<std::size_t>(level.keyWords));
            level.keyOf(board, key.data());
            generator.setPosition(key.data());
            EXPECT_EQ(generator.board().cells, board.cells);
            EXPECT_EQ(generator.board().playerCell, board.playerCell);
            generator.generate(isTrapped(board), generated);
            const std::vector<Push> expected = plainPushes(board);
            EXPECT_TRUE(samePushes(generated, expected)) << describe(board);
            pushes += static_cast<int>(expected.size());
            if (expected.empty()) {
                break;
            }
            // Make one of the pushes and go on from there.
            const Push& push = expected[random() % expected.size()];
            board.cells[static_cast<std::size_t>(push.to)] =
                withBox(board.cells[static_cast<std::size_t>(push.to)]);
            board.cells[static_cast<std::size_t>(push.from)] =
                withoutBox(board.cells[static_cast<std::size_t>(push.from)]);
            board.playerCell = push.from;
        }
    }
    EXPECT_GT(pushes, 3000);
}

// Keys hold the boxes by floor number and the player's floor number + 1 in the bits after
// them (0: the start's player off the floor), also where those bits run over into the next
// word.
TEST(StaticLevel, KeysHoldBoxesAndPlayerAcrossWordEnds) {
    for (const int floorCount : {0, 1, 47, 48, 57, 58, 59, 63, 64, 65, 112, 127, 128}) {
        SCOPED_TRACE(floorCount);
        // One row: a wall, floorCount floor cells, a wall; the player on the wall at the left.
        Board board;
        board.height = 1;
        board.width  = static_cast<std::int16_t>(floorCount + 2);
        board.cells.assign(static_cast<std::size_t>(floorCount + 2), CELL_FLOOR);
        board.cells.front() = CELL_WALL;
        board.cells.back()  = CELL_WALL;
        board.init();
        board.playerCell = 0;
        const StaticLevel level(board);
        ASSERT_EQ(level.floorCount, floorCount);
        EXPECT_EQ(
            level.keyWords,
            std::max(1, (floorCount +
                         static_cast<int>(std::bit_width(static_cast<unsigned>(floorCount))) + 63) /
                            64));
        std::vector<std::uint64_t> key(static_cast<std::size_t>(level.keyWords), 0);
        for (const CellIndex player :
             {CellIndex{0}, CellIndex{1}, static_cast<CellIndex>(floorCount), CellIndex{0}}) {
            if (player > floorCount) {
                continue;
            }
            level.setPlayer(key.data(), player);
            EXPECT_EQ(level.player(key.data()), player);
            for (std::int32_t f = 0; f < floorCount; ++f) {
                EXPECT_FALSE(level.hasBox(key.data(), f));
            }
        }
        if (floorCount < 2) {
            continue;
        }
        // Boxes at both ends of the floor, then one of them pushed inwards.
        board.cells[1]                                    = CELL_BOX;
        board.cells[static_cast<std::size_t>(floorCount)] = CELL_BOX;
        board.playerCell                                  = 2;
        level.keyOf(board, key.data());
        std::vector<std::int32_t> boxes;
        level.forEachBox(key.data(), [&](std::int32_t f) { boxes.push_back(f); });
        EXPECT_EQ(boxes, (std::vector<std::int32_t>{0, floorCount - 1}));
        EXPECT_EQ(level.player(key.data()), 2);
        level.applyPush(key.data(), static_cast<CellIndex>(floorCount),
                        static_cast<CellIndex>(floorCount - 1));
        boxes.clear();
        level.forEachBox(key.data(), [&](std::int32_t f) { boxes.push_back(f); });
        EXPECT_EQ(boxes, (std::vector<std::int32_t>{0, floorCount - 2}));
        EXPECT_EQ(level.player(key.data()), floorCount);
    }
}

} // namespace
} // namespace goalbox
