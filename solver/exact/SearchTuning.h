#ifndef SOLVER_EXACT_SEARCHTUNING_H
#define SOLVER_EXACT_SEARCHTUNING_H

#include <cstdint>
#include <vector>

#include "board/Board.h"
#include "solver/SolutionStep.h"
#include "solver/Solve.h"

namespace goalbox {

// When the route search adds its tables. They only make the search faster or slower, never
// change its answer: each table only raises a consistent bound or leaves out positions that
// cannot be solved. So the tests set these low, to compare the route of a search that adds its
// tables in the middle with the plain search's on boards where the defaults never come.
struct SearchTuning {
    // The expansions after which the tables of box pairs, triples and quadruples are added, in
    // that order where two are equal. 0: never.
    std::uint64_t pairsAfter      = 300;
    std::uint64_t triplesAfter    = 2000;
    std::uint64_t quadruplesAfter = 50000;
    // Tables of pairs and triples of at most this many positions are set up before the search
    // begins.
    std::uint64_t smallTable = 50000;
    // The expansions after which a long search first adds a table of the positions near the end
    // (it grows again after four times as many each time). 0: never.
    std::uint64_t endTableAfter = 100000;
};

// solve (solver/Solve.h) with the given tuning; solve itself takes SearchTuning{}.
std::int32_t solveTuned(Board board, std::vector<SolutionStep>& solution, const SolveLimits& limits,
                        const SearchTuning& tuning, SolveStats* stats);

} // namespace goalbox

#endif
