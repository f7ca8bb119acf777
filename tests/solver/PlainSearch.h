#ifndef TESTS_SOLVER_PLAINSEARCH_H
#define TESTS_SOLVER_PLAINSEARCH_H

#include <cstdint>
#include <vector>

#include "board/Board.h"
#include "solver/SearchState.h"

namespace goalbox::plain {

// What the plain search did.
struct PlainOutcome {
    std::int32_t result         = -1; // as solve: steps of the solved position, or -1
    std::uint64_t nodesExpanded = 0;
    std::uint64_t statesStored  = 0;
    bool capped                 = false; // gave up after maxExpansions expansions
};

// The search exactly as first written: passes of depth-first descent with a step limit growing
// by one, the whole tree re-descended on every pass, one walk search per trial push, the full
// dead-position test after every push, and the 65536-bucket store of SearchTree. It is the
// oracle that the fast search must match route for route. With maxExpansions > 0 it gives up
// (capped, result -1, nothing appended) once it has expanded that many nodes, so that a test
// can choose the levels it affords by a count that does not depend on the machine.
PlainOutcome solve(Board board, std::vector<SolutionStep>& solution,
                   std::uint64_t maxExpansions = 0);

} // namespace goalbox::plain

#endif
