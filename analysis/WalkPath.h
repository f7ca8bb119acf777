#ifndef ANALYSIS_WALKPATH_H
#define ANALYSIS_WALKPATH_H

#include <cstdint>
#include <vector>

namespace goalbox {

struct Board;

// The walk operations Board::walkDistance, Board::jumpTo and Board::walkTo, and WalkPath, are
// declared in board/Board.h; they are defined in analysis/WalkPath.cpp. This header holds what
// goes with them.

// The shortest walk lengths from the player to every cell, in one breadth-first search that
// follows the same rules and order as walkDistance: afterwards dist has cellCount entries and
// dist[i] equals board.walkDistance(i) for every cell i (0 on the player's cell when it is
// enterable, -1 on cells that are not enterable or not reachable). dist belongs to the caller
// and is reused without new allocation once it is large enough. The board is not changed.
void walkDistances(const Board& board, std::vector<std::int16_t>& dist);

// Each search marks the cells it reaches with a new generation stamp, so that nothing has to be
// cleared between searches; when the stamp runs past its largest value every mark is cleared.
using WalkStamp = std::uint16_t;

// The stamp of the latest search (0: none since the last clear).
WalkStamp walkStamp();
// Clears every mark and makes stamp the latest one, so the next search uses stamp + 1. Lets a
// test bring the stamp up to its wrap-around quickly.
void setWalkStamp(WalkStamp stamp);

} // namespace goalbox

#endif
