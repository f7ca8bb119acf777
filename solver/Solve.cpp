// The search of the S command: the level's fixed facts, its bounds and its push generator, and
// the sweep of RouteSearch that finds the route of the passes.
#include "solver/Solve.h"

#include <cstddef>
#include <utility>

#include "analysis/DeadPosition.h"
#include "solver/SolveControl.h"
#include "solver/bounds/LowerBound.h"
#include "solver/exact/RouteSearch.h"
#include "solver/exact/SearchTuning.h"
#include "solver/positions/PushGenerator.h"
#include "solver/positions/StaticLevel.h"

namespace goalbox {

std::int32_t solve(Board board, std::vector<SolutionStep>& solution) {
    return solve(std::move(board), solution, SolveLimits{}, nullptr);
}

std::int32_t solve(Board board, std::vector<SolutionStep>& solution, const SolveLimits& limits,
                   SolveStats* stats) {
    return solveTuned(std::move(board), solution, limits, SearchTuning{}, stats);
}

std::int32_t solveTuned(Board board, std::vector<SolutionStep>& solution, const SolveLimits& limits,
                        const SearchTuning& tuning, SolveStats* stats) {
    SolveControl control(limits, stats);
    SolveStats& figures = control.stats();

    // 1. A solved board: the first pass enters the root and ends there.
    if (board.isSolved()) {
        figures.statesStored = 1;
        figures.stepBound    = board.steps;
        SolveProgress solved;
        solved.bound        = board.steps;
        solved.boundReached = true;
        solved.done         = board.steps;
        control.report(solved);
        return board.steps;
    }

    // 2. The level's fixed facts, the lower bound and the push generator, then the sweep.
    const StaticLevel level(board);
    LowerBound bound(level);
    PushGenerator generator(board, level);
    const std::vector<std::uint64_t> startKey = level.keyOf(board);
    RouteSearch search(level, bound, generator, control, tuning);
    return search.run(startKey.data(), isTrapped(board), board.steps, solution);
}

} // namespace goalbox
