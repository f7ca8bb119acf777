#ifndef TESTS_SOLVER_REFERENCESOLVER_H
#define TESTS_SOLVER_REFERENCESOLVER_H

#include <cstdint>

#include "board/Board.h"

namespace goalbox::test {

// A plain breadth-first search over single moves (a step or a push, each costing 1) on
// positions = box cells + player cell, that never enters a position on which isTrapped holds
// right after a push. Returns the fewest moves to a solved position (0 when already solved),
// or -1 when none is reachable. Meant for tiny boards only: it keeps a board per position.
std::int32_t referenceFewestMoves(const Board& start);

} // namespace goalbox::test

#endif
