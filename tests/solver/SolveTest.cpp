#include <cstddef>
#include <cstdint>
#include <new>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "board/Board.h"
#include "solver/Solve.h"
#include "solver/reference/SearchState.h"
#include "tests/solver/TestBoard.h"

namespace goalbox {
namespace {

using test::boardFromRows;

// Something the search must never touch: the caller's earlier steps.
const std::vector<SolutionStep> EARLIER{{4, DIR_UP}, {9, DIR_LEFT}};

std::int32_t solveWithStats(const Board& board, std::vector<SolutionStep>& solution,
                            SolveStats& stats) {
    return solve(board, solution, SolveLimits{}, &stats);
}

// An open room with five boxes far from their goals: thousands of positions to search.
Board openRoom() {
    return boardFromRows({
        "############",
        "#          #",
        "#  $  $  $ #",
        "#   @      #",
        "#  $    $  #",
        "#   .....  #",
        "############",
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

TEST(Solve, BoardsWithoutSolution) {
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
        EXPECT_EQ(stats.stepBound, -1);
        EXPECT_EQ(stats.nodesExpanded, c.nodesExpanded);
        EXPECT_EQ(stats.pushesTried, c.pushesTried);
        EXPECT_EQ(stats.statesStored, 1u);
        EXPECT_GT(stats.peakMemoryBytes, 0u);
        EXPECT_FALSE(stats.aborted);
    }
}

// Solvable boards: the fewest steps counting those already made, and among equal solutions the
// one whose first different push has the lower direction (right, down, up, left), then the box
// on the lower cell.
TEST(Solve, FewestStepsAndTheTieRules) {
    struct Case {
        const char* name;
        std::vector<std::string> rows;
        std::int16_t startSteps;
        std::int32_t result;
        std::vector<SolutionStep> route;
    };
    const std::vector<Case> cases = {
        {"one push from where the player stands",
         {"#####", "#@$.#", "#####"},
         5,
         6,
         {{6, DIR_RIGHT}}},
        {"a walk of 4, then the push",
         {"#########", "#@    $.#", "#########"},
         0,
         5,
         {{14, DIR_RIGHT}}},
        {"one row", {"#@$.#"}, 0, 1, {{1, DIR_RIGHT}}},
        {"one column", {"#", "@", "$", ".", "#"}, 0, 1, {{1, DIR_DOWN}}},
        // Pushing right from the left or left from the right both take 3 steps.
        {"right before left", {"#####", "#.$.#", "# @ #", "#####"}, 0, 3, {{6, DIR_RIGHT}}},
        // Pushing down from above or up from below take 3 steps each.
        {"down before up", {"#####", "# . #", "#@$ #", "# . #", "#####"}, 0, 3, {{7, DIR_DOWN}}},
        // With the player nearer the right side the cheaper push wins instead.
        {"cheaper push", {"######", "#.$. #", "#   @#", "######"}, 0, 3, {{9, DIR_LEFT}}},
        // Two boxes pushed up once each, either order alike: walk 4, push the box on 15 up from
        // 22, walk 5, push the box on 19 up from 26.
        {"lower box first",
         {"#######", "#. @ .#", "#$   $#", "#     #", "#######"},
         0,
         11,
         {{22, DIR_UP}, {26, DIR_UP}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Board board                  = boardFromRows(c.rows, c.startSteps);
        std::vector<SolutionStep> solution = EARLIER;
        SolveStats stats;
        EXPECT_EQ(solveWithStats(board, solution, stats), c.result);
        std::vector<SolutionStep> expected = EARLIER;
        expected.insert(expected.end(), c.route.begin(), c.route.end());
        EXPECT_EQ(solution, expected);
        EXPECT_EQ(stats.solutionPushes, static_cast<std::int32_t>(c.route.size()));
        EXPECT_EQ(stats.stepBound, c.result);
    }
}

TEST(Solve, MapOfNoRowsHasNoSolution) {
    // A level file of only "REM": no rows, three columns. The dead-line test read the first cell
    // of every column here, on a board without cells (a crash of the S key on such a level).
    Board board;
    board.height = 0;
    board.width  = 3;
    board.cells.clear();
    board.init();
    std::vector<SolutionStep> solution;
    EXPECT_EQ(solve(board, solution), -1);
    EXPECT_TRUE(solution.empty());
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
    EXPECT_EQ(stats.stepBound, -1);
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

// The progress reports read as a player reads them: the least steps a solution can have rise
// until a solution with that many is found, which is the answer, and then the steps worked
// through rise up to it. Watching changes nothing.
TEST(Solve, ProgressRisesToTheFewestStepsAndChangesNothing) {
    for (const Board& board :
         {boardFromRows({"#########", "#@    $.#", "#########"}), openRoom()}) {
        std::vector<SolveProgress> reports;
        SolveLimits watched;
        watched.onProgress = [&reports](const SolveProgress& now) { reports.push_back(now); };
        std::vector<SolutionStep> solution;
        std::vector<SolutionStep> unwatched;
        SolveStats stats;
        SolveStats plainStats;
        const std::int32_t best = solve(board, solution, watched, &stats);
        EXPECT_EQ(best, solveWithStats(board, unwatched, plainStats));
        EXPECT_EQ(solution, unwatched);
        EXPECT_EQ(stats.nodesExpanded, plainStats.nodesExpanded);
        ASSERT_FALSE(reports.empty());
        EXPECT_TRUE(reports.back().boundReached);
        EXPECT_EQ(reports.back().bound, best);
        for (std::size_t i = 0; i < reports.size(); ++i) {
            const SolveProgress& now = reports[i];
            EXPECT_LE(now.bound, best);
            EXPECT_LE(now.done, now.bound);
            EXPECT_TRUE(now.boundReached || now.done == 0);
            if (i > 0) {
                const SolveProgress& before = reports[i - 1];
                EXPECT_GE(now.bound, before.bound);
                EXPECT_GE(now.statesStored, before.statesStored);
                EXPECT_TRUE(now.boundReached || !before.boundReached);
                EXPECT_TRUE(!now.boundReached || !before.boundReached || now.done >= before.done);
            }
        }
    }
}

} // namespace
} // namespace goalbox
