#ifndef SOLVER_POSITIONS_STATICLEVEL_H
#define SOLVER_POSITIONS_STATICLEVEL_H

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "board/Board.h"

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
// position in one word.
//
// Floor cells are numbered in ascending cell order, so the boxes of a key come out in ascending
// cell order, the order in which a node's pushes are generated.
struct StaticLevel {
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
    std::int32_t floorCount = 0;
    std::int32_t playerBits = 0;
    std::int32_t keyWords   = 0;
    CellIndex startPlayer   = 0; // the start's player cell

    bool isPushable(CellIndex cell, std::int32_t dir) const {
        return pushable[static_cast<std::size_t>(cell) * DIR_COUNT +
                        static_cast<std::size_t>(dir)] != 0;
    }

    // Key helpers; key points at keyWords words.
    bool hasBox(const std::uint64_t* key, std::int32_t floor) const {
        return (key[floor / 64] >> (floor % 64) & 1u) != 0;
    }
    // Calls visit(floor) for every box of key, in ascending floor (and cell) order.
    template <typename Visit> void forEachBox(const std::uint64_t* key, Visit visit) const {
        const std::int32_t lastWord = floorCount / 64;
        for (std::int32_t w = 0; w <= lastWord && w < keyWords; ++w) {
            std::uint64_t bits = key[w];
            if (w == lastWord) {
                bits &= (std::uint64_t{1} << (floorCount % 64)) - 1; // the player's bits follow
            }
            while (bits != 0) {
                visit(w * 64 + std::countr_zero(bits));
                bits &= bits - 1;
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
};

} // namespace goalbox

#endif
