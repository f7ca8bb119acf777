#ifndef ANALYSIS_DEADPOSITION_H
#define ANALYSIS_DEADPOSITION_H

namespace goalbox {

struct Board;

// True when the position shows one of the fixed dead patterns: a 2x2 square of boxes and walls
// (hasDeadSquare) or a box stuck along a line of walls (hasDeadWallLine). Reads only cells,
// height and width, so the player's position never matters; changes nothing, allocates nothing.
bool isTrapped(const Board& board);

// The two halves of isTrapped. Both compare whole cell codes: CELL_BOX_ON_GOAL is never a box.
//
// hasDeadSquare: some 2x2 square holds four CELL_BOX, a CELL_BOX with CELL_WALL on both sides
// of its corner, or two CELL_BOX side by side with two CELL_WALL beside both of them.
bool hasDeadSquare(const Board& board);
// hasDeadWallLine: some row or column, read together with the row or column next to it, has
// more CELL_BOX than CELL_GOAL and no exit (an enterable or box cell next to it) up to a wall
// or its end. Its counters run on across walls.
bool hasDeadWallLine(const Board& board);

} // namespace goalbox

#endif
