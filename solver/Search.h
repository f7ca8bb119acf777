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
    // at the start of every pass and now and then during one; for a progress display.
    std::function<void(std::int32_t limit, std::uint64_t statesStored)> onProgress;
};

// Figures of one search, for the bench.
struct SolveStats {
    std::uint64_t nodesExpanded   = 0; // nodes whose pushes were generated
    std::uint64_t statesStored    = 0; // store entries added, the initial state included
    std::uint64_t pushesTried     = 0; // trial pushes that move accepted
    std::uint64_t peakMemoryBytes = 0;
    std::int32_t passes           = 0;     // passes begun
    std::int32_t solutionPushes   = 0;     // steps appended to the solution, 0 when none
    bool aborted                  = false; // stopped by shouldStop before an answer
};

// Searches for the pushes that solve the board, fewest steps first (walk steps and pushes
// alike). Returns the steps counter of the solved position, the board's steps at the call
// included, and appends the pushes in playing order; an already solved board gives its steps
// and nothing appended. Returns -1 with the array unchanged when no solution exists.
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
