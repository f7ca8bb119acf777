#ifndef ANALYSIS_DEADPOSITION_H
#define ANALYSIS_DEADPOSITION_H

#include <cstdint>

#include "board/Board.h"

namespace goalbox {

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

// The nine dead 2x2 patterns, over the codes of the cells top-left, top-right, bottom-left and
// bottom-right. Inline, since the solver asks it for every square a push touches.
inline bool isDeadSquare(std::uint8_t tl, std::uint8_t tr, std::uint8_t bl, std::uint8_t br) {
    constexpr std::uint8_t B = CELL_BOX;
    constexpr std::uint8_t W = CELL_WALL;
    // Four boxes.
    if (tl == B && tr == B && bl == B && br == B) {
        return true;
    }
    // A box in a corner; the cell diagonally opposite may hold anything.
    if ((tl == B && tr == W && bl == W) || (tr == B && tl == W && br == W) ||
        (bl == B && tl == W && br == W) || (br == B && tr == W && bl == W)) {
        return true;
    }
    // Two boxes side by side with walls along the same side of both.
    return (tl == B && tr == B && bl == W && br == W) ||
           (tl == W && tr == W && bl == B && br == B) ||
           (tl == B && bl == B && tr == W && br == W) || (tl == W && bl == W && tr == B && br == B);
}

} // namespace goalbox

#endif
