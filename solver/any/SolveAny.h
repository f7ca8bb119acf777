#ifndef SOLVER_ANY_SOLVEANY_H
#define SOLVER_ANY_SOLVEANY_H

#include <cstdint>
#include <vector>

#include "board/Board.h"
#include "solver/Solve.h"
#include "solver/any/AnySearch.h"

namespace goalbox {

// The settings solveAny tries, in turn, each round with four times the expansions of the last
// (their expansionLimit is that of the first round; 0 stands for no limit).
std::vector<AnySettings> anySchedule();

// solveAny with a schedule of its own, for the tests and for measuring settings.
std::int32_t solveAnyWith(Board board, std::vector<SolutionStep>& solution,
                          const SolveLimits& limits, SolveStats* stats,
                          const std::vector<AnySettings>& schedule);

} // namespace goalbox

#endif
