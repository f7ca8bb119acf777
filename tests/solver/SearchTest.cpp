#include <cstddef>
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

// An open room with three boxes far from their goals: thousands of positions to search.
Board openRoom() {
    return boardFromRows({
        "##########",
        "#        #",
        "#  $  $  #",
        "#   @    #",
        "#  $     #",
        "#   ...  #",
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

TEST(Solve, BoardsWithoutSolutionEndInTheGuidedSearch) {
    struct Case {
        const char* name;
        std::vector<std::string> rows;
        std::uint64_t nodesExpanded;
        std::uint64_t pushesTried;
    };
    const std::vector<Case> cases = {
        // Never solved: the start is expanded and has no push.
        {"no boxes", {"####", "#@.#", "####"}, 1, 0},
        // The box can reach no goal even on an empty board: nothing to expand.
        {"box in a corner", {"#####", "#$@.#", "#####"}, 0, 0},
        // The one push goes into a corner.
        {"every push trapped", {"######", "# $@.#", "######"}, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<SolutionStep> solution = EARLIER;
        SolveStats stats;
        EXPECT_EQ(solveWithStats(boardFromRows(c.rows), solution, stats), -1);
        EXPECT_EQ(solution, EARLIER);
        EXPECT_EQ(stats.passes, 0);
        EXPECT_EQ(stats.stepBound, -1);
        EXPECT_EQ(stats.nodesExpanded, c.nodesExpanded);
        EXPECT_EQ(stats.guidedExpanded, c.nodesExpanded);
        EXPECT_EQ(stats.pushesTried, c.pushesTried);
        EXPECT_EQ(stats.statesStored, 1u);
        EXPECT_GT(stats.peakMemoryBytes, 0u);
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
    const Board board                  = openRoom();
    std::vector<SolutionStep> solution = EARLIER;
    SolveStats unbounded;
    const std::int32_t result = solveWithStats(board, solution, unbounded);
    ASSERT_NE(result, -1);
    ASSERT_GT(unbounded.nodesExpanded, 1000u);
    ASSERT_GT(unbounded.peakEntries, 1000u);
    const std::vector<SolutionStep> solved = solution;

    // Too little for the start, and just too little for the search's peak.
    solution = EARLIER;
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
    EXPECT_EQ(solve(board, solution, limits, nullptr), result);
    EXPECT_EQ(solution, solved);
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
        return asked >= 2;
    };
    std::vector<SolutionStep> solution = EARLIER;
    SolveStats stats;
    EXPECT_EQ(solve(openRoom(), solution, limits, &stats), -1);
    EXPECT_TRUE(stats.aborted);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(stats.passes, 0); // stopped in the guided search
    EXPECT_EQ(solution, EARLIER);

    // A stop request reaches the passes too. The first pass has limit 1; the guided search
    // reports its bound, which starts at the estimate of the start, far above 1 here.
    bool passesBegun  = false;
    limits.onProgress = [&passesBegun](std::int32_t limit, std::uint64_t) {
        passesBegun = passesBegun || limit == 1;
    };
    limits.shouldStop = [&passesBegun] { return passesBegun; };
    stats             = SolveStats{};
    EXPECT_EQ(solve(openRoom(), solution, limits, &stats), -1);
    EXPECT_TRUE(stats.aborted);
    EXPECT_GT(stats.passes, 0);
    EXPECT_EQ(solution, EARLIER);

    // A stop condition that never holds changes nothing about the search.
    const Board board = boardFromRows({"#######", "#@ $ .#", "#     #", "#######"});
    limits.shouldStop = [] { return false; };
    limits.onProgress = nullptr;
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

    // A longer search reports the guided search's rising bound first, then every pass.
    limits.clear();
    lastStored              = 0;
    const std::int32_t best = solve(openRoom(), solution, watched, &stats);
    ASSERT_EQ(best, stats.stepBound);
    ASSERT_GE(limits.size(), static_cast<std::size_t>(best));
    const std::size_t passesFrom = limits.size() - static_cast<std::size_t>(best);
    for (std::size_t i = 0; i < passesFrom; ++i) {
        EXPECT_LE(limits[i], best);
        EXPECT_TRUE(i == 0 || limits[i - 1] < limits[i]);
    }
    EXPECT_GT(passesFrom, 0u);
    for (std::int32_t pass = 1; pass <= best; ++pass) {
        EXPECT_EQ(limits[passesFrom + static_cast<std::size_t>(pass) - 1], pass);
    }
}

} // namespace
} // namespace goalbox
