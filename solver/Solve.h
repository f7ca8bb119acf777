#ifndef SOLVER_SOLVE_H
#define SOLVER_SOLVE_H

#include <cstdint>
#include <functional>
#include <vector>

#include "board/Board.h"
#include "solver/SolutionStep.h"

namespace goalbox {

// The memory budget of SolveLimits{} and so of the two-argument solve. The game passes its own,
// from the machine's memory or the player's setting, down to the searches it starts.
inline constexpr std::uint64_t DEFAULT_MEMORY_BUDGET = std::uint64_t{1} << 30;

// Where a search stands, for a progress display. A search first raises the least number of
// steps that a solution can still have (bound, rising); once it has found a solution with
// exactly that many (bound is then the fewest steps), it still works through the positions
// that may lie on the route, by steps from 0 up to bound (done, rising).
struct SolveProgress {
    std::int32_t bound         = 0;
    bool boundReached          = false; // a solution with bound steps has been found
    std::int32_t done          = 0;     // the steps worked through, while boundReached
    std::uint64_t statesStored = 0;
};

// Bounds of one search. The search itself never reads a clock: a time cap is the caller's
// shouldStop, asked now and then while the search runs.
struct SolveLimits {
    // The search gives up with std::bad_alloc once its store and tree hold more than this.
    std::uint64_t memoryBudgetBytes = DEFAULT_MEMORY_BUDGET;
    // Empty: no cap. Returning true ends the search as aborted (result -1, stats->aborted).
    std::function<bool()> shouldStop;
    // Empty: nothing. Otherwise told where the search stands whenever the bound rises, when it
    // is reached, and now and then in between.
    std::function<void(const SolveProgress&)> onProgress;
};

// Figures of one search, for the bench.
struct SolveStats {
    std::uint64_t nodesExpanded   = 0; // positions whose pushes were generated
    std::uint64_t statesStored    = 0; // positions stored, the initial one included
    std::uint64_t pushesTried     = 0; // trial pushes that move accepted
    std::uint64_t peakMemoryBytes = 0;
    // The passes of the plain search; the values of the bound that solve's search went through.
    std::int32_t passes         = 0;
    std::int32_t solutionPushes = 0;     // steps appended to the solution, 0 when none
    bool aborted                = false; // stopped by shouldStop before an answer
    std::int32_t stepBound      = -1;    // the fewest steps (-1: no solution, or not ended)
    // The positions stored when the memory peak was reached: peakMemoryBytes / peakEntries is
    // the memory per stored position.
    std::uint64_t peakEntries = 0;
};

// Searches for the pushes that solve the board, fewest steps first (walk steps and pushes
// alike). Returns the steps counter of the solved position, the board's steps at the call
// included, and appends the pushes in playing order; an already solved board gives its steps
// and nothing appended. Returns -1 with the array unchanged when no solution exists.
//
// The route is the one that passes of depth-first descent with a step limit growing by one
// find (the first solved position that the last pass enters; plain::solve in
// reference/PlainSearch.h is that search). This one finds it in a single best-first sweep
// (exact/RouteSearch.h), leaving out only positions that lie on no shortest solution, which never
// changes the route.
//
// When the memory budget is passed or memory runs out, everything the search holds is
// released and std::bad_alloc leaves solve with the array unchanged.
std::int32_t solve(Board board, std::vector<SolutionStep>& solution);

// The same with explicit limits; stats, when given, receives the search's figures. A search
// stopped by limits.shouldStop returns -1 with stats->aborted set and the array unchanged.
std::int32_t solve(Board board, std::vector<SolutionStep>& solution, const SolveLimits& limits,
                   SolveStats* stats);

// Searches for some route that solves the board, quickly and not necessarily with the fewest
// steps: for positions beyond the reach of solve. Returns the steps counter of the solved
// position (the board's steps at the call included) and appends the pushes in playing order,
// as solve does; an already solved board gives its steps and nothing appended. Returns -1 with
// the array unchanged when it finds no route: when it has shown that there is none, when it
// gives up, or when stopped by limits.shouldStop (stats->aborted set). Its answer depends on the
// board and the memory budget alone, never on the clock. It never reads limits.onProgress.
// Past the memory budget it gives up with std::bad_alloc, as solve does.
std::int32_t solveAny(Board board, std::vector<SolutionStep>& solution, const SolveLimits& limits,
                      SolveStats* stats);

} // namespace goalbox

#endif
