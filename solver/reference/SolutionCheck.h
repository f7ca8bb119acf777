#ifndef SOLVER_REFERENCE_SOLUTIONCHECK_H
#define SOLVER_REFERENCE_SOLUTIONCHECK_H

#include <cstdint>
#include <string>
#include <vector>

#include "board/Board.h"
#include "solver/reference/SearchState.h"

namespace goalbox {

// Replays a solution on a copy of start: every walk must succeed, every move must push a box,
// and the end must be solved with steps equal to result. For the bench and the tests.
bool replaysToSolved(const Board& start, const std::vector<SolutionStep>& solution,
                     std::int32_t result);

// A solution as text, "cell,direction;cell,direction;...", as the golden file holds it.
std::string routeText(const std::vector<SolutionStep>& solution);

} // namespace goalbox

#endif
