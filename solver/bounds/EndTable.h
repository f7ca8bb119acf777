#ifndef SOLVER_BOUNDS_ENDTABLE_H
#define SOLVER_BOUNDS_ENDTABLE_H

#include <cstdint>
#include <functional>
#include <vector>

#include "solver/bounds/DeadBound.h"
#include "solver/positions/PositionStore.h"
#include "solver/positions/StaticLevel.h"

namespace goalbox {

// The positions near the end: a search backward from the solved positions that finds the
// fewest steps still needed from every position within its radius, exactly.
//
// Positions are those the search forward keeps after a push (see StaticLevel: the boxes, and the
// player on the cell the pushed box left). The search undoes pushes: from a position whose steps
// to the end are known, with the player on cell q and a box on the cell beyond q in direction d,
// the box goes back onto q; the push came from the cell behind q, and before it the player
// walked there from any cell of its area. Each such cell p gives the position before the push
// (only those that some push can leave, with a box beside p and floor behind it), reached with
// the walk from p, the push and the steps known after it. The costs are at least one, so taking
// positions by rising steps settles each once (a search by buckets of steps), and every position
// with fewer steps than the layer being taken is in the table with its fewest steps.
//
// bound(key) is then exact within the radius and radius + 1 elsewhere, a lower bound that a step
// lowers by at most one: inside, by the fewest steps themselves; from outside to inside, the
// fewest steps outside are at least radius + 1 and at most one push's cost more than inside.
// Once the search has taken every position it reaches, a position not in the table cannot be
// solved at all.
//
// The table is built only where the solved boxes are known: as many boxes as goals.
class EndTable {
  public:
    EndTable(const StaticLevel& level, std::int32_t boxCount);

    bool usable() const { return usable_; }
    bool complete() const { return complete_; }
    // The positions with their fewest steps known, and all that it holds.
    std::uint64_t settled() const { return settled_; }
    std::uint64_t size() const { return store_.size(); }
    std::int32_t radius() const { return radius_; }

    // Goes on until at least positions positions are settled, the table takes more than
    // maxBytes, every position is settled, or stop (asked after each position) returns true. True
    // when the bound grew.
    bool grow(std::uint64_t positions, std::uint64_t maxBytes, const std::function<bool()>& stop);

    // A lower bound on the steps from the position of key to a solved position; BOUND_DEAD for a
    // position that cannot be solved. 0 while the table is empty.
    std::int32_t bound(const std::uint64_t* key) const;

    // Heap bytes, counted by capacity.
    std::uint64_t memoryBytes() const;

  private:
    void seed();
    void settle(std::uint32_t entry);
    void offer(const std::uint64_t* key, std::int32_t steps);
    bool leftByPush(const std::uint64_t* boxes, std::int32_t floor) const;
    bool hasBox(const std::uint64_t* key, std::int32_t floor) const {
        return level_.hasBox(key, floor);
    }

    const StaticLevel& level_;
    bool usable_   = false;
    bool complete_ = false;
    bool seeded_   = false;
    // Every position with fewer steps than radius_ + 1 is settled.
    std::int32_t radius_   = -1;
    std::uint64_t settled_ = 0;
    PositionStore store_;
    std::vector<std::int16_t> steps_; // per entry: its fewest steps found so far
    // Per steps value, the entries queued with it; a place left behind by a cheaper way is
    // skipped. taking_ is the bucket being taken.
    std::vector<std::vector<std::uint32_t>> buckets_;
    std::size_t taking_        = 0;
    std::uint64_t bucketBytes_ = 0;

    // Working arrays of one settling: the key of the entry being settled (the position after
    // the push being undone), the key of the position before that push (with the player on each
    // cell it can walk from in turn; in seed, a solved position), the walk's queue and lengths.
    std::vector<std::uint64_t> settling_;
    std::vector<std::uint64_t> earlier_;
    std::vector<std::int32_t> walkQueue_;
    std::vector<std::int32_t> walkLength_; // per floor number, -1 unreached
};

} // namespace goalbox

#endif
