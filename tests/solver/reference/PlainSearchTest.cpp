// The plain search's limits and figures. Its answers are the definition of the solver's; the
// differential and golden tests compare the fast search against them.
#include <cstdint>
#include <new>
#include <vector>

#include <gtest/gtest.h>

#include "board/Board.h"
#include "solver/reference/PlainSearch.h"
#include "solver/reference/SearchState.h"
#include "tests/solver/TestBoard.h"

namespace goalbox {
namespace {

using test::boardFromRows;

const std::vector<SolutionStep> EARLIER{{4, DIR_UP}, {9, DIR_LEFT}};

// Three boxes in a small room: a few hundred expansions over a dozen passes.
Board smallRoom() {
    return boardFromRows({"########", "#@     #", "# $$$  #", "#      #", "# ...  #", "########"},
                         2);
}

TEST(PlainSearch, ExpansionCapStopsAfterExactlyThatManyExpansions) {
    const Board board                  = smallRoom();
    std::vector<SolutionStep> solution = EARLIER;
    SolveStats full;
    const std::int32_t result = plain::solve(board, solution, SolveLimits{}, &full);
    ASSERT_NE(result, -1);
    ASSERT_GT(full.nodesExpanded, 100u);
    EXPECT_EQ(full.solutionPushes, static_cast<std::int32_t>(solution.size() - EARLIER.size()));
    // Found in the first pass whose limit reaches the result.
    EXPECT_EQ(full.passes, result - board.steps);
    EXPECT_FALSE(full.aborted);

    for (const std::uint64_t cap :
         {std::uint64_t{0}, std::uint64_t{1}, full.nodesExpanded / 2, full.nodesExpanded - 1}) {
        SCOPED_TRACE(cap);
        std::vector<SolutionStep> capped = EARLIER;
        SolveStats stats;
        EXPECT_EQ(plain::solve(board, capped, plain::expansionCap(cap), &stats), -1);
        EXPECT_TRUE(stats.aborted);
        EXPECT_EQ(stats.nodesExpanded, cap);
        EXPECT_EQ(capped, EARLIER);
    }
    // A cap the search does not reach changes nothing.
    std::vector<SolutionStep> uncapped = EARLIER;
    SolveStats stats;
    EXPECT_EQ(plain::solve(board, uncapped, plain::expansionCap(full.nodesExpanded), &stats),
              result);
    EXPECT_EQ(uncapped, solution);
    EXPECT_EQ(stats.nodesExpanded, full.nodesExpanded);
    EXPECT_EQ(stats.statesStored, full.statesStored);
    EXPECT_FALSE(stats.aborted);
}

TEST(PlainSearch, MemoryBudgetAndProgressReports) {
    const Board board = smallRoom();
    SolveLimits watched;
    std::vector<std::int32_t> limits;
    watched.onProgress = [&limits](const SolveProgress& now) { limits.push_back(now.bound); };
    std::vector<SolutionStep> solution = EARLIER;
    SolveStats full;
    const std::int32_t result = plain::solve(board, solution, watched, &full);
    ASSERT_NE(result, -1);
    // One report at the start of every pass, limits from the start's steps plus one.
    ASSERT_EQ(limits.size(), static_cast<std::size_t>(full.passes));
    for (std::size_t pass = 0; pass < limits.size(); ++pass) {
        EXPECT_EQ(limits[pass], board.steps + 1 + static_cast<std::int32_t>(pass));
    }
    ASSERT_GT(full.peakEntries, 100u);

    const std::vector<SolutionStep> solved = solution;
    for (const std::uint64_t budget : {std::uint64_t{1}, full.peakMemoryBytes - 1}) {
        SCOPED_TRACE(budget);
        SolveLimits limited;
        limited.memoryBudgetBytes = budget;
        solution                  = EARLIER;
        EXPECT_THROW(plain::solve(board, solution, limited, nullptr), std::bad_alloc);
        EXPECT_EQ(solution, EARLIER);
    }
    SolveLimits enough;
    enough.memoryBudgetBytes = full.peakMemoryBytes;
    solution                 = EARLIER;
    EXPECT_EQ(plain::solve(board, solution, enough, nullptr), result);
    EXPECT_EQ(solution, solved);
}

} // namespace
} // namespace goalbox
