#ifndef BOARD_BOARD_H
#define BOARD_BOARD_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "board/BoxBits.h"

namespace goalbox {

struct WalkScratch;

// A cell index: row * width + column, 16-bit signed, so a board holds at most 32767 cells.
using CellIndex = std::int16_t;

// No cell: where a step leaves the grid, and the step of a search's initial state.
inline constexpr CellIndex NO_CELL = -1;

// Cell codes are built from three bits:
//
//   bit 1 (2)  box        CELL_BOX 2, CELL_BOX_ON_GOAL 66
//   bit 2 (4)  enterable  CELL_FLOOR 4, CELL_GOAL 68
//   bit 6 (64) goal       CELL_GOAL 68, CELL_BOX_ON_GOAL 66
//
// The player is not a cell code; the cell under the player keeps its own code.
enum CellCode : std::uint8_t {
    CELL_OUTSIDE     = 0,
    CELL_WALL        = 1,
    CELL_BOX         = 2,
    CELL_FLOOR       = 4,
    CELL_BOX_ON_GOAL = 66,
    CELL_GOAL        = 68,
};

inline constexpr std::uint8_t BOX_BIT       = 2;
inline constexpr std::uint8_t ENTERABLE_BIT = 4;
inline constexpr std::uint8_t GOAL_BIT      = 64;

inline constexpr bool isBox(std::uint8_t code) {
    return (code & BOX_BIT) != 0;
}
inline constexpr bool isEnterable(std::uint8_t code) {
    return (code & ENTERABLE_BIT) != 0;
}
inline constexpr bool isGoal(std::uint8_t code) {
    return (code & GOAL_BIT) != 0;
}
// The code a cell takes when a box leaves it or arrives on it; a goal stays a goal.
inline constexpr std::uint8_t withoutBox(std::uint8_t code) {
    return static_cast<std::uint8_t>((code & GOAL_BIT) | ENTERABLE_BIT);
}
inline constexpr std::uint8_t withBox(std::uint8_t code) {
    return static_cast<std::uint8_t>((code & GOAL_BIT) | BOX_BIT);
}

// The order right, down, up, left is fixed: walks, the solver's expansion and its
// node counts all depend on it. 3 - d is the reverse of d.
enum Direction : std::int32_t {
    DIR_RIGHT = 0,
    DIR_DOWN  = 1,
    DIR_UP    = 2,
    DIR_LEFT  = 3,
    DIR_COUNT = 4,
};

inline constexpr Direction reverse(Direction d) {
    return static_cast<Direction>(3 - d);
}

enum LoadResult : std::int32_t {
    LOAD_OK        = 0,
    LOAD_NOT_FOUND = 1,
    LOAD_BAD_DATA  = 2,
};

// A walk, first step at the front.
using WalkPath = std::deque<Direction>;

// The cell one step away from each cell in each direction: the one place that says which steps
// the grid allows. A step in direction d goes from cell c to c + dirOffset[d] (16 bits) when that
// cell is on the grid and in one row or column with c, so a sideways step never wraps from one
// row end into the next row. On a board one column wide a sideways offset equals a vertical one,
// so there are no sideways steps at all. Moves, pushes, walks, the dead-position test and the
// solver all take their steps from here.
struct NeighbourTable {
    // The grid the table was built for; a board keeps its table while these stay the same.
    std::int16_t height = -1;
    std::int16_t width  = -1;
    // Per cell (cellCount of them), per direction: the neighbour, or NO_CELL.
    std::vector<std::array<CellIndex, DIR_COUNT>> next;
};

// The movable part of a position: where the boxes are, the player, the step counter.
// Meaningful only together with a board of the same level (same size, walls, goals).
struct BoardSnapshot {
    BoxBits boxBits;
    CellIndex playerCell = 0;
    std::int16_t steps   = 0;

    bool operator==(const BoardSnapshot&) const = default;
};

// The puzzle position. cells, playerCell, height, width and steps are the primary data;
// cellCount, boxCount, dirOffset and neighbours are derived by init() and set no other way.
struct Board {
    std::vector<std::uint8_t> cells;
    CellIndex playerCell   = 0;
    std::int16_t height    = 1;
    std::int16_t width     = 1;
    std::int16_t steps     = 0;
    std::int16_t cellCount = 0;
    std::int16_t boxCount  = 0;
    std::array<std::int16_t, DIR_COUNT> dirOffset{};
    NeighbourTable neighbours;

    // One CELL_FLOOR cell, player on it: the board before any level is loaded.
    Board();

    // Recomputes dirOffset, cellCount (16-bit height * width) and boxCount (box bytes of all
    // of cells), and the neighbour table when height or width differ from its grid's.
    void init();

    // One step or one push in direction d. Returns the player's new cell, or -1 with nothing
    // changed when the move is refused. A player off the grid (on a board of no cells) moves
    // nowhere.
    CellIndex move(Direction d);

    // The cell one step from cell (which is on the grid) in direction d, or NO_CELL.
    CellIndex neighbour(CellIndex cell, Direction d) const {
        return neighbours.next[static_cast<std::size_t>(cell)][d];
    }
    // All four neighbours of cell, indexed by direction.
    const std::array<CellIndex, DIR_COUNT>& neighboursOf(CellIndex cell) const {
        return neighbours.next[static_cast<std::size_t>(cell)];
    }

    bool isValidCell(CellIndex i) const { return i >= 0 && i < cellCount; }
    // True when a and b share a column or a row (truncating division by width).
    bool sameRowOrColumn(CellIndex a, CellIndex b) const;

    // Writes the box layout, player and steps into s; the board is unchanged.
    void saveSnapshot(BoardSnapshot& s) const;
    // Puts the boxes, player and steps of s back; s must come from this level.
    void restoreSnapshot(const BoardSnapshot& s);
    // True when there is at least one box and every box stands on a goal.
    bool isSolved() const;

    // Reads a level file. On LOAD_OK the whole board is replaced (steps 0); on any other
    // result the board is unchanged.
    LoadResult load(const std::string& path);
    // Installs a loaded grid of height * width codes, marks the outside and calls init().
    void setLevel(const std::vector<std::uint8_t>& grid, std::int16_t newHeight,
                  std::int16_t newWidth, CellIndex newPlayerCell);

    // The walk path finder (board/WalkSearch.cpp, its scratch in board/WalkSearch.h): all three
    // return the length of a shortest walk over enterable cells from the player, who stands on the
    // grid, or -1 (out of range, not enterable, unreachable) with nothing changed. jumpTo and
    // walkTo also move the player there and add the length to steps; walkTo appends the walk's
    // directions behind whatever path already holds. Each runs with the caller's scratch, or with
    // one of its own.
    std::int16_t walkDistance(CellIndex target) const;
    std::int16_t walkDistance(CellIndex target, WalkScratch& scratch) const;
    std::int16_t jumpTo(CellIndex target);
    std::int16_t jumpTo(CellIndex target, WalkScratch& scratch);
    std::int16_t walkTo(CellIndex target, WalkPath& path);
    std::int16_t walkTo(CellIndex target, WalkPath& path, WalkScratch& scratch);
};

} // namespace goalbox

#endif
