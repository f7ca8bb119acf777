#ifndef SOLVER_REFERENCE_PLAINSEARCH_H
#define SOLVER_REFERENCE_PLAINSEARCH_H

#include <cstdint>
#include <vector>

#include "board/Board.h"
#include "solver/Solve.h"
#include "solver/reference/SearchState.h"

namespace goalbox::plain {

// The search exactly as first written: passes of depth-first descent with a step limit growing
// by one, the whole tree re-descended on every pass, one walk search per trial push, the full
// dead-position test after every push, and the 65536-bucket store of SearchTree. Its answer
// defines the solver's: goalbox::solve must return the same result and the same route for
// every board. It is the reference of the tests and of goalbox-bench --plain, never the
// game's search.
//
// The same contract as goalbox::solve: the steps counter of the solved position, the pushes
// appended in playing order; -1 with the array unchanged when there is no solution, when
// limits.shouldStop ends the search (stats->aborted) or, by std::bad_alloc, when the tree
// passes limits.memoryBudgetBytes.
//
// limits.shouldStop is asked exactly once before each expansion (a node's pushes generated),
// and never elsewhere, so a stop that counts its calls caps the search at a number of
// expansions that does not depend on the machine: see expansionCap. limits.onProgress is
// told the step limit (as bound) and the positions stored at the start of every pass.
//
// stats receives nodesExpanded, statesStored, pushesTried, passes, solutionPushes, aborted and
// the memory peak with its positions; stepBound stays -1.
std::int32_t solve(Board board, std::vector<SolutionStep>& solution, const SolveLimits& limits,
                   SolveStats* stats);

// Limits whose shouldStop ends a plain search after maxExpansions expansions (0: at once,
// before the first). Each copy counts on its own from 0.
SolveLimits expansionCap(std::uint64_t maxExpansions);

} // namespace goalbox::plain

#endif
