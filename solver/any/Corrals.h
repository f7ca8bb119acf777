#ifndef SOLVER_ANY_CORRALS_H
#define SOLVER_ANY_CORRALS_H

#include <cstdint>
#include <vector>

#include "solver/positions/StaticLevel.h"

namespace goalbox {

// The player's area of a position and the corrals beside it: the free floor cells the player
// cannot walk to, in connected parts, each fenced by walls and by the boxes next to it (its
// fence).
//
// A corral narrows the pushes worth trying. Until a box of its fence moves, no box can enter it
// (a cell next to it without a box belongs to it) and the player cannot reach it. Say that
//
//   - every push of a fence box that could come first stays inside the corral: each push of a
//     fence box from a cell that is neither in the corral nor a fence box nor a wall leads into
//     the corral, onto a wall's cell (no push) or onto another fence box (which cannot move
//     first either);
//   - the player can make every such push into the corral now: its stand cell is in the area;
//   - the corral must change: a fence box stands off a goal, or the corral holds a goal that a
//     box must fill (there are no more goals than boxes).
//
// Then every solution moves a fence box, the first time into the corral, by a push that the
// player can make now; and that push can be made first: the pushes before it move boxes away
// from the fence and the corral, and with the fence box gone into the corral the player's area
// only grows at every one of them. So the pushes into such a corral are all the pushes that a
// search must try, and when there are none the position cannot be solved. Parts of the corral
// are tried alone and all together.
class Corrals {
  public:
    Corrals(const StaticLevel& level, std::int32_t boxCount);

    // The player's area in key from floor cell player (the player stands there). Returns the
    // lowest floor cell of the area.
    std::int32_t measureArea(const std::uint64_t* key, std::int32_t player);
    // After measureArea of the same key: the corrals beside the area.
    void measureParts(const std::uint64_t* key);
    std::int32_t measure(const std::uint64_t* key, std::int32_t player) {
        const std::int32_t lowest = measureArea(key, player);
        measureParts(key);
        return lowest;
    }

    // After measure: whether the player's area holds floor cell floor.
    bool inArea(std::int32_t floor) const {
        return areaMark_[static_cast<std::size_t>(floor)] == stamp_;
    }

    // After measure: chooses the corral whose pushes are the fewest among those that narrow
    // the search as above. False when none does; otherwise leadsIn tells the pushes to keep.
    bool choose(const std::uint64_t* key);
    // After choose: whether a push of a box onto floor cell target leads into the corral chosen.
    bool leadsIn(std::int32_t target) const {
        const std::int32_t part = part_[static_cast<std::size_t>(target)];
        return part != NO_PART && (chosen_ == ALL_PARTS || part == chosen_);
    }

    // After measure: the number of corral parts, the part of a floor cell (NO_PART for none) and
    // the boxes of key next to a part, in ascending order.
    static constexpr std::int32_t NO_PART = -1;
    std::int32_t partCount() const { return partCount_; }
    std::int32_t partOf(std::int32_t floor) const { return part_[static_cast<std::size_t>(floor)]; }
    void fence(const std::uint64_t* key, std::int32_t part, std::vector<std::int32_t>& boxes) const;

    std::uint64_t memoryBytes() const;

  private:
    static constexpr std::int32_t ALL_PARTS = -2;

    bool isInPart(std::int32_t floor, std::int32_t part) const {
        const std::int32_t p = part_[static_cast<std::size_t>(floor)];
        return p != NO_PART && (part == ALL_PARTS || p == part);
    }
    bool isFenceBox(const std::uint64_t* key, std::int32_t floor, std::int32_t part) const;
    std::int32_t narrowingPushes(const std::uint64_t* key, std::int32_t part) const;
    std::int32_t neighbour(std::int32_t floor, std::int32_t dir) const {
        return level_.floorNeighbour(floor, dir);
    }
    // Visits the free cells of key connected to start (which the caller has marked) that take
    // accepts; take marks a cell as it accepts it, so that no cell is visited twice.
    template <typename Take> void flood(const std::uint64_t* key, std::int32_t start, Take take) {
        stack_.assign(1, start);
        while (!stack_.empty()) {
            const std::int32_t floor = stack_.back();
            stack_.pop_back();
            for (std::int32_t dir = 0; dir < DIR_COUNT; ++dir) {
                const std::int32_t next = neighbour(floor, dir);
                if (next != NO_FLOOR && !level_.hasBox(key, next) && take(next)) {
                    stack_.push_back(next);
                }
            }
        }
    }

    const StaticLevel& level_;
    bool goalsMustFill_ = false;          // no more goals than boxes: every goal ends with a box
    std::vector<std::uint32_t> areaMark_; // per floor cell: stamp_ when in the player's area
    std::uint32_t stamp_ = 0;
    std::vector<std::int32_t> part_; // per floor cell: its corral part, NO_PART when none
    std::int32_t partCount_ = 0;
    std::vector<std::int32_t> stack_;
    std::int32_t chosen_ = NO_PART;
};

} // namespace goalbox

#endif
