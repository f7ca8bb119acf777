// The tables of box sets against the plain search: their bound never exceeds the fewest steps
// and no push lowers it by more than the push's cost, or the sweep could drop a position of the
// route; a position they find dead has no solution, or the search could lose the route; and on
// a level of three boxes, whose triple table is the whole position's, they give the plain
// search's steps.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/DeadPosition.h"
#include "board/Board.h"
#include "solver/bounds/BoxSubsets.h"
#include "solver/bounds/LowerBound.h"
#include "solver/positions/PushGenerator.h"
#include "solver/positions/StaticLevel.h"
#include "solver/reference/PlainSearch.h"
#include "tests/solver/RandomRoom.h"
#include "tests/solver/TestBoard.h"

namespace goalbox {
namespace {

// A plain search that gave up.
constexpr std::int32_t CAPPED = -2;

// The fewest steps that solve the position of board, -1 when none do, CAPPED when the plain
// search gave up.
std::int32_t fewestSteps(Board board) {
    board.steps = 0;
    std::vector<SolutionStep> route;
    SolveStats stats;
    const std::int32_t steps = plain::solve(board, route, plain::expansionCap(3000), &stats);
    return stats.aborted ? CAPPED : steps;
}

Board afterPush(Board board, const Push& push) {
    board.cells[static_cast<std::size_t>(push.to)] =
        withBox(board.cells[static_cast<std::size_t>(push.to)]);
    board.cells[static_cast<std::size_t>(push.from)] =
        withoutBox(board.cells[static_cast<std::size_t>(push.from)]);
    board.playerCell = push.from;
    return board;
}

// One level with every table of box sets it gets.
struct Tables {
    explicit Tables(const Board& board)
        : level(board), pushes(level), subsets(level, pushes, board.boxCount) {
        subsets.addPairs();
        subsets.addTriples();
        subsets.addQuadruples();
    }

    std::vector<std::uint64_t> keyOf(const Board& board) const {
        std::vector<std::uint64_t> key(static_cast<std::size_t>(level.keyWords));
        level.keyOf(board, key.data());
        return key;
    }

    const StaticLevel level;
    const LowerBound pushes;
    BoxSubsets subsets;
};

// Calls visit(board, pushes) for the start of a random room and for up to moves positions
// after it, each a random push from the one before.
template <typename Visit>
void walkRandomPushes(std::mt19937& random, Board board, const Tables& tables, int moves,
                      Visit visit) {
    PushGenerator generator(board, tables.level);
    std::vector<Push> pushes;
    for (int move = 0; move <= moves; ++move) {
        generator.setPosition(tables.keyOf(board).data());
        generator.generate(isTrapped(board), pushes);
        visit(board, pushes);
        if (pushes.empty()) {
            return;
        }
        board = afterPush(board, pushes[random() % pushes.size()]);
    }
}

TEST(BoxSubsets, BoundIsConsistentAndDeadSetsHoldNoSolution) {
    std::mt19937 random(3141);
    int compared   = 0;
    int deadPushes = 0;
    int pushCount  = 0;
    for (int round = 0; round < 240; ++round) {
        // Rooms of two to five boxes; every fourth one placed at random, often unsolvable.
        const std::vector<std::string> rows =
            test::randomRoom(random, 3 + round % 4, 3 + round % 3, 2 + round % 4,
                             round % 4 == 0 ? 0 : 5 + round % 40);
        SCOPED_TRACE(test::picture(rows));
        const Tables tables(test::boardFromRows(rows));
        const BoxSubsets& subsets = tables.subsets;
        walkRandomPushes(random, test::boardFromRows(rows), tables, 5,
                         [&](const Board& board, const std::vector<Push>& pushes) {
                             const std::vector<std::uint64_t> key = tables.keyOf(board);
                             const std::int32_t player = tables.level.playerFloor(key.data());
                             const std::int32_t here   = subsets.bound(key.data(), player);
                             const std::int32_t fewest = fewestSteps(board);
                             if (fewest >= 0) {
                                 EXPECT_LE(here, fewest);
                                 EXPECT_FALSE(subsets.isDead(key.data(), player));
                                 ++compared;
                             }
                             for (const Push& push : pushes) {
                                 std::vector<std::uint64_t> after = key;
                                 tables.level.applyPush(after.data(), push.from, push.to);
                                 const std::int32_t from =
                                     tables.level.floorIndex[static_cast<std::size_t>(push.from)];
                                 const std::int32_t to =
                                     tables.level.floorIndex[static_cast<std::size_t>(push.to)];
                                 const std::int32_t there = subsets.bound(after.data(), from);
                                 if (here == BOUND_DEAD) {
                                     EXPECT_EQ(there, BOUND_DEAD);
                                 } else if (there != BOUND_DEAD) {
                                     EXPECT_LE(here, push.cost + there);
                                 }
                                 if (subsets.isDeadAfterPush(after.data(), to, from)) {
                                     const std::int32_t left = fewestSteps(afterPush(board, push));
                                     EXPECT_TRUE(left == -1 || left == CAPPED);
                                     ++deadPushes;
                                 }
                                 ++pushCount;
                             }
                         });
    }
    std::printf("%d positions compared, %d pushes, %d found dead after the push\n", compared,
                pushCount, deadPushes);
    EXPECT_GT(compared, 400);
    EXPECT_GT(deadPushes, 200);
}

TEST(BoxSubsets, OnThreeBoxesTheTripleStepsAreThoseOfThePlainSearch) {
    std::mt19937 random(2024);
    int solved   = 0;
    int unsolved = 0;
    for (int round = 0; round < 150; ++round) {
        const std::vector<std::string> rows = test::randomRoom(
            random, 3 + round % 4, 3 + round % 3, 3, round % 5 == 0 ? 0 : 10 + round % 40);
        SCOPED_TRACE(test::picture(rows));
        const Board start = test::boardFromRows(rows);
        if (start.boxCount != 3) {
            continue; // too cramped a room: randomRoom gave up placing
        }
        const Tables tables(start);
        ASSERT_TRUE(tables.subsets.triplesAreWhole());
        walkRandomPushes(
            random, start, tables, 3, [&](const Board& board, const std::vector<Push>&) {
                const std::vector<std::uint64_t> key = tables.keyOf(board);
                const std::int32_t steps =
                    tables.subsets.bound(key.data(), tables.level.playerFloor(key.data()));
                const std::int32_t fewest = fewestSteps(board);
                if (fewest != CAPPED) {
                    EXPECT_EQ(steps, fewest == -1 ? BOUND_DEAD : fewest);
                    (fewest == -1 ? unsolved : solved) += 1;
                }
            });
    }
    std::printf("%d solvable and %d unsolvable positions compared\n", solved, unsolved);
    EXPECT_GT(solved, 200);
    EXPECT_GT(unsolved, 20);
}

} // namespace
} // namespace goalbox
