#ifndef SOLVER_REFERENCE_SEARCHSTATE_H
#define SOLVER_REFERENCE_SEARCHSTATE_H

#include <cstdint>

#include "board/Board.h"
#include "solver/SolutionStep.h"

namespace goalbox {

// One position met by the search. The snapshot part (boxes, player, steps) comes first so
// that Board::saveSnapshot and Board::restoreSnapshot work on it directly.
//
//   hash   bucket of the visited store, below 65536, from the box cells alone
//   level  push depth of the node that stands for this state now (0 for the initial state)
//   index  that node's place within its level
//   step   the push that led here on the cheapest path known; cell -1 for the initial state
//
// level and index are kept up to date only in the store's own entries.
struct SearchState : BoardSnapshot {
    std::uint32_t hash = 0;
    std::int32_t level = 0;
    std::int32_t index = 0;
    bool solved        = false;
    SolutionStep step;
};

// Sum of i * (i + 1) * (i + 2) over the box cells i, in 32-bit unsigned arithmetic, modulo
// 65536: independent of the order of the boxes, and 0 for a board without boxes.
std::uint32_t boxHash(const Board& board);

// The state of the board's position: snapshot, solved flag and hash; step is (NO_CELL, right).
// level and index are left for the tree to set.
SearchState captureState(const Board& board);

// True when a and b are the same position: equal hash, player cell, bit vector length and box
// bits. steps, level, index, solved and step take no part.
bool isSamePosition(const SearchState& a, const SearchState& b);

} // namespace goalbox

#endif
