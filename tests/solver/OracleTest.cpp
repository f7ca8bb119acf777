#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "board/Board.h"
#include "solver/Solve.h"
#include "solver/reference/SearchState.h"
#include "solver/reference/SolutionCheck.h"
#include "tests/solver/RandomRoom.h"
#include "tests/solver/ReferenceSolver.h"
#include "tests/solver/TestBoard.h"

namespace goalbox {
namespace {

// The search finds the fewest moves that the plain breadth-first search finds, and only
// solutions that replay to a solved board with the reported step count.
TEST(Oracle, FewestStepsAgreeWithBreadthFirstSearchOnTinyRooms) {
    std::mt19937 random(20240611);
    int solvable   = 0;
    int unsolvable = 0;
    for (int round = 0; round < 600; ++round) {
        const int innerWidth  = 3 + round % 4;
        const int innerHeight = 3 + (round / 4) % 3;
        const int boxCount    = 1 + round % 3;
        const int pulls       = (round / 3) % 3 == 0 ? 0 : 10 + round % 30;
        const std::vector<std::string> rows =
            test::randomRoom(random, innerWidth, innerHeight, boxCount, pulls);
        const auto startSteps = static_cast<std::int16_t>(round % 4);
        const Board board     = test::boardFromRows(rows, startSteps);
        SCOPED_TRACE(test::picture(rows));

        const std::int32_t expected = test::referenceFewestMoves(board);
        std::vector<SolutionStep> solution;
        const std::int32_t result = solve(board, solution);
        if (expected == -1) {
            EXPECT_EQ(result, -1);
            EXPECT_TRUE(solution.empty());
            ++unsolvable;
            continue;
        }
        ++solvable;
        EXPECT_EQ(result, startSteps + expected);
        EXPECT_TRUE(replaysToSolved(board, solution, result));
    }
    // Both kinds must have been met for the comparison to mean something.
    EXPECT_GT(solvable, 30);
    EXPECT_GT(unsolvable, 30);
    std::printf("tiny rooms: %d solvable, %d unsolvable\n", solvable, unsolvable);
}

} // namespace
} // namespace goalbox
