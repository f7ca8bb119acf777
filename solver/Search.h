#ifndef SOLVER_SEARCH_H
#define SOLVER_SEARCH_H

#include <cstdint>
#include <functional>
#include <vector>

#include "board/Board.h"
#include "solver/SearchState.h"

namespace goalbox {

// The memory budget of the two-argument solve. The program sets it once from the machine's
// physical memory; until then it is DEFAULT_MEMORY_BUDGET. New SolveLimits start with it.
inline constexpr std::uint64_t DEFAULT_MEMORY_BUDGET = std::uint64_t{1} << 30;
void setDefaultMemoryBudget(std::uint64_t bytes);
std::uint64_t defaultMemoryBudget();

// Bounds of one search. The search itself never reads a clock: a time cap is the caller's
// shouldStop, asked now and then while the search runs.
struct SolveLimits {
    // The search gives up with std::bad_alloc once its store and tree hold more than this.
    std::uint64_t memoryBudgetBytes = defaultMemoryBudget();
    // Empty: no cap. Returning true ends the search as aborted (result -1, stats->aborted).
    std::function<bool()> shouldStop;
    // Empty: nothing. Otherwise told the current step limit and the number of positions stored,
    // at the start of every pass and now and then during one; for a progress display. Before
    // the passes, while the guided search looks for the fewest steps, the limit is that
    // search's current lower bound on them.
    std::function<void(std::int32_t limit, std::uint64_t statesStored)> onProgress;
};

// Figures of one search, for the bench. The counts cover both searches of a call: the guided
// search that finds the fewest steps and the passes that then find the route.
struct SolveStats {
    std::uint64_t nodesExpanded   = 0; // positions whose pushes were generated
    std::uint64_t statesStored    = 0; // store entries added, the initial state included
    std::uint64_t pushesTried     = 0; // trial pushes that move accepted
    std::uint64_t peakMemoryBytes = 0;
    std::int32_t passes           = 0;     // passes begun
    std::int32_t solutionPushes   = 0;     // steps appended to the solution, 0 when none
    bool aborted                  = false; // stopped by shouldStop before an answer
    // The guided search's share of nodesExpanded and statesStored, and the fewest steps it
    // found (-1: none, or it did not end).
    std::uint64_t guidedExpanded = 0;
    std::uint64_t guidedStored   = 0;
    std::int32_t stepBound       = -1;
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
// find (the first solved position that the last pass enters). A guided search first finds the
// fewest steps C, or that there is no solution; the passes then leave out every position whose
// steps plus a consistent lower bound on the steps still needed exceed C, which never changes
// the route.
//
// When the memory budget is passed or memory runs out, everything the search holds is
// released and std::bad_alloc leaves solve with the array unchanged.
std::int32_t solve(Board board, std::vector<SolutionStep>& solution);

// The same with explicit limits; stats, when given, receives the search's figures. A search
// stopped by limits.shouldStop returns -1 with stats->aborted set and the array unchanged.
std::int32_t solve(Board board, std::vector<SolutionStep>& solution, const SolveLimits& limits,
                   SolveStats* stats);

} // namespace goalbox

#endif
