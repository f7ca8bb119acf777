#include <cstdint>
#include <new>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestBoard.h"
#include "board/Board.h"
#include "solver/Search.h"
#include "solver/SearchState.h"

namespace goalbox {
namespace {

using test::boardFromRows;

// Something the search must never touch: the caller's earlier steps.
const std::vector<SolutionStep> EARLIER{{4, DIR_UP}, {9, DIR_LEFT}};

std::int32_t solveWithStats(const Board& board, std::vector<SolutionStep>& solution,
                            SolveStats& stats) {
    return solve(board, solution, SolveLimits{}, &stats);
}

// An open room that has no solution (no goal), large enough for a long search.
Board openRoomWithoutGoals() {
    return boardFromRows({
        "##########",
        "#        #",
        "#  $  $  #",
        "#   @    #",
        "#  $     #",
        "#        #",
        "##########",
    });
}

TEST(Solve, AlreadySolvedBoardGivesItsStepsAndNoPush) {
    const Board board                  = boardFromRows({"#####", "#@*.#", "#####"}, 7);
    std::vector<SolutionStep> solution = EARLIER;
    SolveStats stats;
    EXPECT_EQ(solveWithStats(board, solution, stats), 7);
    EXPECT_EQ(solution, EARLIER);
    EXPECT_EQ(stats.nodesExpanded, 0u);
    EXPECT_EQ(stats.pushesTried, 0u);
}

TEST(Solve, BoardsWithoutSolutionEndAfterSecondPass) {
    struct Case {
        const char* name;
        std::vector<std::string> rows;
        std::uint64_t pushesTried;
    };
    const std::vector<Case> cases = {
        {"no boxes", {"####", "#@.#", "####"}, 0},
        {"every push refused", {"#####", "#$@.#", "#####"}, 0},
        {"every push trapped", {"######", "# $@.#", "######"}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<SolutionStep> solution = EARLIER;
        SolveStats stats;
        EXPECT_EQ(solveWithStats(boardFromRows(c.rows), solution, stats), -1);
        EXPECT_EQ(solution, EARLIER);
        EXPECT_EQ(stats.passes, 2);
        EXPECT_EQ(stats.nodesExpanded, 1u);
        EXPECT_EQ(stats.pushesTried, c.pushesTried);
        EXPECT_EQ(stats.statesStored, 1u);
        EXPECT_FALSE(stats.aborted);
    }
}

TEST(Solve, OnePushFromWherePlayerStands) {
    // Steps already made count: the first pass has limit 6 and finds it.
    const Board board                  = boardFromRows({"#####", "#@$.#", "#####"}, 5);
    std::vector<SolutionStep> solution = EARLIER;
    SolveStats stats;
    EXPECT_EQ(solveWithStats(board, solution, stats), 6);
    std::vector<SolutionStep> expected = EARLIER;
    expected.push_back(SolutionStep{board.playerCell, DIR_RIGHT});
    EXPECT_EQ(solution, expected);
    EXPECT_EQ(stats.passes, 1);
    EXPECT_EQ(stats.solutionPushes, 1);
}

TEST(Solve, WalkThenPushIsFoundInPassOfItsLength) {
    // A walk of 4 steps, then the push: found in pass 5, not earlier.
    const Board board = boardFromRows({"#########", "#@    $.#", "#########"});
    std::vector<SolutionStep> solution;
    SolveStats stats;
    EXPECT_EQ(solveWithStats(board, solution, stats), 5);
    EXPECT_EQ(solution, (std::vector<SolutionStep>{{14, DIR_RIGHT}}));
    EXPECT_EQ(stats.passes, 5);
}

TEST(Solve, EqualSolutionsTieByDirectionOrder) {
    // Pushing right from the left or left from the right both take 3 steps; right comes first.
    const Board board = boardFromRows({"#####", "#.$.#", "# @ #", "#####"});
    std::vector<SolutionStep> solution;
    EXPECT_EQ(solve(board, solution), 3);
    EXPECT_EQ(solution, (std::vector<SolutionStep>{{6, DIR_RIGHT}}));

    // Pushing down from above or up from below take 3 steps each; down comes first.
    const Board column = boardFromRows({"#####", "# . #", "#@$ #", "# . #", "#####"});
    solution.clear();
    EXPECT_EQ(solve(column, solution), 3);
    EXPECT_EQ(solution, (std::vector<SolutionStep>{{7, DIR_DOWN}}));

    // With the player nearer the right side the cheaper push wins instead.
    const Board nearer = boardFromRows({"######", "#.$. #", "#   @#", "######"});
    solution.clear();
    EXPECT_EQ(solve(nearer, solution), 3);
    EXPECT_EQ(solution, (std::vector<SolutionStep>{{9, DIR_LEFT}}));
}

TEST(Solve, EqualSolutionsTieByBoxOrder) {
    // Two boxes, each pushed once onto a goal; either order takes the same steps, and the push
    // of the box on the lower cell comes first.
    const Board board = boardFromRows({
        "#######",
        "#. @ .#",
        "#$   $#",
        "#     #",
        "#######",
    });
    std::vector<SolutionStep> solution;
    const std::int32_t result = solve(board, solution);
    ASSERT_EQ(solution.size(), 2u);
    // Walk 4, push the box on 15 up from 22, walk 5, push the box on 19 up from 26.
    EXPECT_EQ(solution[0], (SolutionStep{22, DIR_UP}));
    EXPECT_EQ(solution[1], (SolutionStep{26, DIR_UP}));
    EXPECT_EQ(result, 11);
}

TEST(Solve, PassingMemoryBudgetThrowsAndLeavesSolutionAlone) {
    const Board board                  = openRoomWithoutGoals();
    std::vector<SolutionStep> solution = EARLIER;
    SolveStats unbounded;
    ASSERT_EQ(solveWithStats(board, solution, unbounded), -1);
    ASSERT_GT(unbounded.nodesExpanded, 100u);

    // Too little for the empty store, and just too little for the search's peak.
    for (const std::uint64_t budget : {std::uint64_t{1}, unbounded.peakMemoryBytes - 1}) {
        SCOPED_TRACE(budget);
        SolveLimits limits;
        limits.memoryBudgetBytes = budget;
        SolveStats stats;
        EXPECT_THROW(solve(board, solution, limits, &stats), std::bad_alloc);
        EXPECT_EQ(solution, EARLIER);
    }
    // Exactly the peak is enough.
    SolveLimits limits;
    limits.memoryBudgetBytes = unbounded.peakMemoryBytes;
    EXPECT_EQ(solve(board, solution, limits, nullptr), -1);
}

TEST(Solve, DefaultBudgetAppliesToPlainSolve) {
    setDefaultMemoryBudget(1);
    std::vector<SolutionStep> solution = EARLIER;
    EXPECT_THROW(solve(boardFromRows({"#####", "#@$.#", "#####"}), solution), std::bad_alloc);
    EXPECT_EQ(SolveLimits{}.memoryBudgetBytes, 1u);
    setDefaultMemoryBudget(DEFAULT_MEMORY_BUDGET);
    EXPECT_EQ(solve(boardFromRows({"#####", "#@$.#", "#####"}), solution), 1);
    EXPECT_EQ(solution.size(), EARLIER.size() + 1);
}

TEST(Solve, StopRequestAbortsWithoutAnswer) {
    int asked = 0;
    SolveLimits limits;
    limits.shouldStop = [&asked] {
        ++asked;
        return asked >= 3;
    };
    std::vector<SolutionStep> solution = EARLIER;
    SolveStats stats;
    EXPECT_EQ(solve(openRoomWithoutGoals(), solution, limits, &stats), -1);
    EXPECT_TRUE(stats.aborted);
    EXPECT_EQ(asked, 3);
    EXPECT_EQ(solution, EARLIER);

    // A stop condition that never holds changes nothing about the search.
    const Board board = boardFromRows({"#######", "#@ $ .#", "#     #", "#######"});
    limits.shouldStop = [] { return false; };
    std::vector<SolutionStep> capped;
    std::vector<SolutionStep> plain;
    SolveStats cappedStats;
    SolveStats plainStats;
    EXPECT_EQ(solve(board, capped, limits, &cappedStats), solveWithStats(board, plain, plainStats));
    EXPECT_EQ(capped, plain);
    EXPECT_EQ(cappedStats.nodesExpanded, plainStats.nodesExpanded);
    EXPECT_FALSE(cappedStats.aborted);
}

TEST(Solve, ProgressReportsEveryPassLimitAndChangesNothing) {
    const Board board = boardFromRows({"#########", "#@    $.#", "#########"});
    std::vector<std::int32_t> limits;
    std::uint64_t lastStored = 0;
    SolveLimits watched;
    watched.onProgress = [&](std::int32_t limit, std::uint64_t stored) {
        if (limits.empty() || limits.back() != limit) {
            limits.push_back(limit);
        }
        EXPECT_GE(stored, lastStored);
        lastStored = stored;
    };
    std::vector<SolutionStep> solution;
    SolveStats stats;
    EXPECT_EQ(solve(board, solution, watched, &stats), 5);
    EXPECT_EQ(solution, (std::vector<SolutionStep>{{14, DIR_RIGHT}}));
    EXPECT_EQ(limits, (std::vector<std::int32_t>{1, 2, 3, 4, 5}));
}

} // namespace
} // namespace goalbox
