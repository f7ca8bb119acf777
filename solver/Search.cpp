// The search of the S command. Its answer is what the passes of BoundedPasses find: depth-first
// descents with a step limit growing by one over a tree that stays from pass to pass, the first
// solved position entered giving the route. Before them, GuidedSearch finds the fewest steps C
// of any solution, or that there is none, which settles a level without a solution at once and
// lets the passes leave out every position that cannot lie on the route. Both work on one
// PositionGraph, which generates the pushes of a position once for both.
#include "solver/Search.h"

#include <cstddef>
#include <utility>

#include "analysis/DeadPosition.h"
#include "solver/LowerBound.h"
#include "solver/PushGenerator.h"
#include "solver/RouteSearch.h"
#include "solver/SearchControl.h"
#include "solver/StaticLevel.h"

namespace goalbox {

namespace {

std::uint64_t defaultBudget = DEFAULT_MEMORY_BUDGET;

} // namespace

void setDefaultMemoryBudget(std::uint64_t bytes) {
    defaultBudget = bytes;
}

std::uint64_t defaultMemoryBudget() {
    return defaultBudget;
}

std::int32_t solve(Board board, std::vector<SolutionStep>& solution) {
    return solve(std::move(board), solution, SolveLimits{}, nullptr);
}

std::int32_t solve(Board board, std::vector<SolutionStep>& solution, const SolveLimits& limits,
                   SolveStats* stats) {
    SolveStats localStats;
    SolveStats& figures = stats != nullptr ? *stats : localStats;
    figures             = SolveStats{};
    SearchControl control(limits, figures);

    // 1. A solved board: the first pass enters the root and ends there.
    if (board.isSolved()) {
        figures.passes       = 1;
        figures.statesStored = 1;
        figures.stepBound    = board.steps;
        control.report(board.steps + 1);
        return board.steps;
    }

    // 2. The level's fixed facts, the lower bound and the push generator, then the sweep.
    const StaticLevel level(board);
    LowerBound bound(level);
    PushGenerator generator(board, level);
    std::vector<std::uint64_t> startKey(static_cast<std::size_t>(level.keyWords));
    level.keyOf(board, startKey.data());
    RouteSearch search(level, bound, generator, control);
    return search.run(startKey.data(), isTrapped(board), board.steps, solution);
}

} // namespace goalbox
