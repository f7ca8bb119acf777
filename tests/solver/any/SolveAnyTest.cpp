// The search for some route against the exact search: it finds a route exactly where one
// exists, every route replays to a solved board with the steps it reports, never fewer than the
// fewest, and the caller's earlier steps stay untouched. Every dead test and corral it prunes
// with would show here as a room with a solution for which it finds none.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <new>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "board/Board.h"
#include "solver/Solve.h"
#include "solver/any/SolveAny.h"
#include "solver/reference/SolutionCheck.h"
#include "tests/solver/RandomRoom.h"
#include "tests/solver/TestBoard.h"

namespace goalbox {
namespace {

const SolutionStep EARLIER{7, DIR_UP};

// Runs solveAny with the schedule on board and checks its answer against the fewest steps
// (-1: no solution).
void expectRoute(const Board& board, std::int32_t fewest,
                 const std::vector<AnySettings>& schedule) {
    std::vector<SolutionStep> route{EARLIER};
    SolveStats stats;
    const std::int32_t steps = solveAnyWith(board, route, SolveLimits{}, &stats, schedule);
    ASSERT_FALSE(route.empty());
    EXPECT_EQ(route.front(), EARLIER);
    route.erase(route.begin());
    if (fewest == -1) {
        EXPECT_EQ(steps, -1);
        EXPECT_TRUE(route.empty());
        return;
    }
    ASSERT_NE(steps, -1) << "no route where the exact search finds one of " << fewest;
    EXPECT_GE(steps, fewest);
    EXPECT_TRUE(replaysToSolved(board, route, steps));
    EXPECT_EQ(stats.solutionPushes, static_cast<std::int32_t>(route.size()));
}

TEST(SolveAny, FindsARouteExactlyWhereOneExists) {
    std::mt19937 random(1919);
    std::vector<std::vector<AnySettings>> schedules{anySchedule()};
    for (AnySettings settings : anySchedule()) {
        settings.expansionLimit = 0;
        schedules.push_back({settings});
        settings.followOrder = false;
        schedules.push_back({settings});
    }
    // A few expansions a round: the later rounds meet the table of the positions near the end.
    std::vector<AnySettings> brief = anySchedule();
    for (AnySettings& settings : brief) {
        settings.expansionLimit = 1;
    }
    schedules.push_back(brief);
    // The same with the pull search first in each round, so the searches forward meet it, and
    // the pull search alone, going on where it stopped round after round.
    std::rotate(brief.begin(), brief.end() - 1, brief.end());
    schedules.push_back(brief);
    schedules.push_back({brief.front()});
    int solvable = 0;
    for (int round = 0; round < 600; ++round) {
        const std::vector<std::string> rows =
            test::randomRoom(random, 3 + round % 6, 3 + round % 4, 1 + round % 5,
                             round % 4 == 0 ? 0 : 15 + round % 60);
        SCOPED_TRACE(test::picture(rows));
        const Board board = test::boardFromRows(rows, static_cast<std::int16_t>(round % 3));
        std::vector<SolutionStep> shortest;
        const std::int32_t fewest = solve(board, shortest);
        solvable += fewest != -1 ? 1 : 0;
        expectRoute(board, fewest, schedules[static_cast<std::size_t>(round) % schedules.size()]);
    }
    EXPECT_GT(solvable, 300); // the rooms reach the searches' corrals and tables
}

// Levels of the bench that the exact search takes long on: routes that replay.
TEST(SolveAny, RoutesOfBenchLevelsReplay) {
    const std::filesystem::path levels = std::filesystem::path(GOALBOX_SOURCE_DIR) / "bench/levels";
    for (const char* name :
         {"classic/0001.txt", "classic/0003.txt", "medium-b-0024.txt", "medium-c-0003.txt"}) {
        SCOPED_TRACE(name);
        Board board;
        ASSERT_EQ(board.load((levels / name).string()), LOAD_OK);
        std::vector<SolutionStep> route;
        const std::int32_t steps = solveAny(board, route, SolveLimits{}, nullptr);
        ASSERT_NE(steps, -1);
        EXPECT_TRUE(replaysToSolved(board, route, steps));
    }
}

TEST(SolveAny, StopsWhenAskedAndGivesUpPastTheBudget) {
    Board board;
    ASSERT_EQ(board.load(std::string(GOALBOX_SOURCE_DIR) + "/bench/levels/classic/0050.txt"),
              LOAD_OK);
    std::vector<SolutionStep> route;
    SolveLimits stopped;
    stopped.shouldStop = [] { return true; };
    SolveStats stats;
    EXPECT_EQ(solveAny(board, route, stopped, &stats), -1);
    EXPECT_TRUE(stats.aborted);
    EXPECT_TRUE(route.empty());
    SolveLimits small;
    small.memoryBudgetBytes = std::uint64_t{4} << 20;
    EXPECT_THROW(solveAny(board, route, small, nullptr), std::bad_alloc);
    EXPECT_TRUE(route.empty());
    // The pull search alone, dropped past the budget, leaves no search to go on with.
    AnySettings pullAlone;
    pullAlone.pull           = true;
    pullAlone.expansionLimit = 1000;
    EXPECT_THROW(solveAnyWith(board, route, small, nullptr, {pullAlone}), std::bad_alloc);
    EXPECT_TRUE(route.empty());
}

} // namespace
} // namespace goalbox
