#ifndef SOLVER_POSITIONS_STATICLEVEL_H
#define SOLVER_POSITIONS_STATICLEVEL_H

#include <array>
#include <bit>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "board/Board.h"
#include "solver/SolutionStep.h"

namespace goalbox {

// No floor cell: the floor number of a cell that is not floor, and of a step off the floor.
inline constexpr std::int32_t NO_FLOOR = -1;

// What stays the same in every position the search can reach from one board: the cells a box
// can ever stand on (the floor: every cell that is enterable or holds a box at the start, a set
// that no push changes), their numbering, the goals, and which pushes the grid allows at all.
//
// The fast search keeps a position as a key of keyWords 64-bit words:
//
//   bits 0 .. floorCount-1      bit f set when floor cell floorCells[f] holds a box
//   the next playerBits bits    the player: its floor number + 1, or 0 for a player off the
//                               floor (startPlayer: only a start position can have one)
//   the remaining bits          zero
//
// playerBits is the bit width of floorCount, so a level of up to 58 floor cells keeps a
// position in one word. The first boxWords words hold box bits; the last of them also holds
// the player's first bits unless floorCount is a multiple of 64, and boxWord masks them off.
// On a level of up to ONE_WORD_FLOOR floor cells the boxes lie in word 0 alone: boxSet.
//
// Floor cells are numbered in ascending cell order, so the boxes of a key come out in ascending
// cell order, the order in which a node's pushes are generated. Everything that reads a key
// or walks between floor cells goes through the helpers below.
struct StaticLevel {
    static constexpr std::int32_t ONE_WORD_FLOOR = 64;

    explicit StaticLevel(const Board& board);

    std::int32_t cellCount = 0;
    std::vector<std::int32_t> floorIndex; // per cell: its floor number, NO_FLOOR for other cells
    std::vector<CellIndex> floorCells;    // per floor number: its cell
    std::vector<std::uint8_t> goal;       // per cell: 1 on a goal (with or without a box)
    // Per cell * DIR_COUNT + direction: 1 when a box on the floor cell could be pushed that way
    // on an empty board: the stand cell one step behind it and the cell one step beyond are
    // floor (steps of the board's neighbour table, as Board::move takes them).
    std::vector<std::uint8_t> pushable;
    // Per floor number * DIR_COUNT + direction: the floor number of the cell one step away in
    // that direction by the board's neighbour table, or NO_FLOOR.
    std::vector<std::int32_t> floorNeighbours;
    std::array<std::int16_t, DIR_COUNT> dirOffset{};
    std::vector<std::int32_t> goalFloors; // the floor numbers of the goals, ascending
    std::int32_t floorCount = 0;
    std::int32_t playerBits = 0;
    std::int32_t keyWords   = 0;
    std::int32_t boxWords   = 0; // the words of a key that hold box bits
    // The box bits of the last of those words: all of them on a level of up to ONE_WORD_FLOOR
    // floor cells.
    std::uint64_t lastBoxMask = 0;
    CellIndex startPlayer     = 0; // the start's player cell

    bool isPushable(CellIndex cell, std::int32_t dir) const {
        return pushable[static_cast<std::size_t>(cell) * DIR_COUNT +
                        static_cast<std::size_t>(dir)] != 0;
    }
    bool isGoalFloor(std::int32_t floor) const {
        return goal[static_cast<std::size_t>(floorCells[static_cast<std::size_t>(floor)])] != 0;
    }
    // The floor number of the cell one step from floor cell floor in direction dir, NO_FLOOR.
    std::int32_t floorNeighbour(std::int32_t floor, std::int32_t dir) const {
        return floorNeighbours[static_cast<std::size_t>(floor) * DIR_COUNT +
                               static_cast<std::size_t>(dir)];
    }

    // Key helpers; key points at keyWords words.
    bool hasBox(const std::uint64_t* key, std::int32_t floor) const {
        return (key[floor / 64] >> (floor % 64) & 1u) != 0;
    }
    void addBox(std::uint64_t* key, std::int32_t floor) const {
        key[floor / 64] |= std::uint64_t{1} << (floor % 64);
    }
    void removeBox(std::uint64_t* key, std::int32_t floor) const {
        key[floor / 64] &= ~(std::uint64_t{1} << (floor % 64));
    }
    // Word w (below boxWords) of key's boxes: bit b for floor cell w * 64 + b.
    std::uint64_t boxWord(const std::uint64_t* key, std::int32_t w) const {
        return w + 1 == boxWords ? key[w] & lastBoxMask : key[w];
    }
    // The boxes of key as one word, bit f for floor cell f, on a level of up to ONE_WORD_FLOOR
    // floor cells.
    std::uint64_t boxSet(const std::uint64_t* key) const {
        assert(floorCount <= ONE_WORD_FLOOR);
        return key[0] & lastBoxMask;
    }
    // Calls visit(floor) for every box of key, in ascending floor (and cell) order.
    template <typename Visit> void forEachBox(const std::uint64_t* key, Visit visit) const {
        for (std::int32_t w = 0; w < boxWords; ++w) {
            for (std::uint64_t bits = boxWord(key, w); bits != 0; bits &= bits - 1) {
                visit(w * 64 + std::countr_zero(bits));
            }
        }
    }
    // player is a floor cell or startPlayer.
    void setPlayer(std::uint64_t* key, CellIndex player) const;
    CellIndex player(const std::uint64_t* key) const;
    // The floor number of the player of key, NO_FLOOR for a player off the floor.
    std::int32_t playerFloor(const std::uint64_t* key) const {
        const CellIndex cell = player(key);
        return cell >= 0 && cell < cellCount ? floorIndex[static_cast<std::size_t>(cell)]
                                             : NO_FLOOR;
    }
    // Moves the box of floor cell from to floor cell to and puts the player on from's cell.
    void applyPush(std::uint64_t* key, CellIndex from, CellIndex to) const;
    // Writes the key of the board's boxes and player.
    void keyOf(const Board& board, std::uint64_t* key) const;
    std::vector<std::uint64_t> keyOf(const Board& board) const;
    // The push that turned the boxes of key before into those of key after: the box left the one
    // floor cell that after lacks and arrived on the one that before lacks. Where the player
    // stands in either key does not matter.
    SolutionStep pushBetween(const std::uint64_t* before, const std::uint64_t* after) const;
};

} // namespace goalbox

#endif
