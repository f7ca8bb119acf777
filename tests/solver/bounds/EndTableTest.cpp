// The table of the positions near the end against the solver's answers: a shortest route's
// positions need exactly the steps left on it, no push of the start does better than the
// route, a table cut short never claims more, and a board without a solution has only dead
// positions after its pushes.
#include <cstdint>
#include <cstdio>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "board/Board.h"
#include "solver/Solve.h"
#include "solver/bounds/EndTable.h"
#include "solver/positions/PushGenerator.h"
#include "solver/positions/StaticLevel.h"
#include "tests/solver/RandomRoom.h"
#include "tests/solver/TestBoard.h"

namespace goalbox {
namespace {

TEST(EndTable, GivesTheStepsLeftOnShortestRoutesAndNoMore) {
    std::mt19937 random(4242);
    int onRoutes = 0;
    int dead     = 0;
    for (int round = 0; round < 800; ++round) {
        const std::vector<std::string> rows =
            test::randomRoom(random, 3 + round % 5, 3 + round % 3, 1 + round % 4,
                             round % 3 == 0 ? 0 : 10 + round % 50);
        SCOPED_TRACE(test::picture(rows));
        const Board board = test::boardFromRows(rows);
        std::vector<SolutionStep> route;
        const std::int32_t steps = solve(board, route);
        const StaticLevel level(board);
        EndTable full(level, board.boxCount);
        EndTable cut(level, board.boxCount);
        if (!full.usable() || board.isSolved()) {
            continue;
        }
        full.grow(UINT64_MAX, UINT64_MAX, nullptr);
        ASSERT_TRUE(full.complete());
        cut.grow(static_cast<std::uint64_t>(1 + round % 30), UINT64_MAX, nullptr);

        // Every push of the start: its cost plus the table's steps after it, never below the
        // fewest steps; DEAD after every push when there is no solution.
        std::vector<std::uint64_t> key(static_cast<std::size_t>(level.keyWords));
        level.keyOf(board, key.data());
        PushGenerator generator(board, level);
        generator.setPosition(key.data());
        std::vector<Push> pushes;
        generator.generate(true, pushes);
        for (const Push& push : pushes) {
            std::vector<std::uint64_t> child = key;
            level.applyPush(child.data(), push.from, push.to);
            if (steps == -1) {
                EXPECT_EQ(full.bound(child.data()), BOUND_DEAD);
                ++dead;
            } else {
                EXPECT_GE(std::int64_t{push.cost} + full.bound(child.data()), steps);
            }
        }

        // Along the route: exactly the steps left, and a cut table at most that.
        Board replay = board;
        for (const SolutionStep& step : route) {
            WalkPath walk;
            ASSERT_NE(replay.walkTo(step.cell, walk), -1);
            ASSERT_NE(replay.move(step.direction), -1);
            level.keyOf(replay, key.data());
            EXPECT_EQ(full.bound(key.data()), steps - replay.steps);
            EXPECT_LE(cut.bound(key.data()), steps - replay.steps);
            ++onRoutes;
        }
    }
    std::printf("%d positions on routes, %d dead\n", onRoutes, dead);
    EXPECT_GT(onRoutes, 400);
    EXPECT_GT(dead, 5);
}

} // namespace
} // namespace goalbox
