#ifndef SOLVER_ANY_PULLSEARCH_H
#define SOLVER_ANY_PULLSEARCH_H

#include <cstdint>
#include <vector>

#include "solver/SolutionStep.h"
#include "solver/SolveControl.h"
#include "solver/any/Corrals.h"
#include "solver/any/FeatureQueue.h"
#include "solver/positions/PositionStore.h"
#include "solver/positions/StaticLevel.h"

namespace goalbox {

// The search for some route run backward: from the solved boxes, box after box is pulled (the
// player steps back from a box beside it and drags it along) until the boxes stand where they
// start and the player's area holds the start's player; the pulls, taken back to front, are the
// pushes of a route. Where goals must be filled in one order, the search forward has to find
// that order among many; backward, a full room of goals empties from its door by itself.
//
// A position is the boxes and the player's area (the player on its lowest floor cell), so the
// searches forward can look its positions up. The queue has cells by the boxes on start cells,
// taken in turn (FeatureQueue); within a cell, the lowest sum first of the pulls each box needs to
// reach its nearest start cell, alone on the empty board. A box that cannot be pulled to any
// start cell is left out, which loses no route, so a search that runs out of positions shows
// there is none. The search keeps its positions from one run to the next and goes on where it
// stopped.
class PullSearch {
  public:
    enum Outcome { FOUND, NO_ROUTE, GAVE_UP, STOPPED };
    static constexpr std::uint32_t NONE = PositionStore::NONE;

    // startKey: the start position.
    PullSearch(const StaticLevel& level, const std::uint64_t* startKey, SolveControl& control);

    // Whether the search applies: as many boxes as goals, the start's player on the floor.
    bool usable() const { return usable_; }

    // Goes on for at most expansionLimit expansions (0: no limit) and, where it reaches the
    // start, appends the pushes of the route; otherBytes are held beside it in the memory budget.
    Outcome run(std::uint64_t expansionLimit, std::uint64_t otherBytes,
                std::vector<SolutionStep>& pushes);

    // The entry of the position of key (its player on the lowest floor cell of its area), or
    // NONE; and the pushes from the position of an entry to a solved one, appended.
    std::uint32_t find(const std::uint64_t* key) const {
        return store_.find(key, PositionStore::hashOf(key, level_.keyWords));
    }
    void route(std::uint32_t entry, std::vector<SolutionStep>& pushes) const;

    std::uint64_t memoryBytes() const;

  private:
    static constexpr std::int32_t FAR_AWAY = INT32_MAX;

    void measureDistances();
    // The pulls from floor cell floor to the nearest start cell, FAR_AWAY where none.
    std::int32_t distance(std::int32_t floor) const {
        return distance_[static_cast<std::size_t>(floor)];
    }
    // Stores the solved positions; GAVE_UP when the search goes on from them.
    Outcome seed(std::vector<SolutionStep>& pushes);
    // Stores and queues the position of key, reached from parent (NONE for a solved one) with
    // its player on floor cell player, unless it was met before; true when it is the start.
    bool add(std::uint32_t parent, std::uint64_t* key, std::int32_t player, std::int32_t estimate);

    const StaticLevel& level_;
    SolveControl& control_;
    bool usable_ = false;
    std::vector<std::uint64_t> startBoxes_; // the start's boxes (the player's bits on cell 0)
    std::int32_t startPlayer_ = NO_FLOOR;
    std::vector<std::int32_t> distance_; // per floor cell, see distance
    Corrals area_;                       // of the position added last
    Corrals parentArea_;                 // of the position expanded
    PositionStore store_;
    std::vector<std::uint32_t> parent_;  // per entry: the position it was pulled from, or NONE
    std::vector<std::int32_t> estimate_; // per entry: the sum of distance over its boxes
    FeatureQueue queue_;
    std::uint32_t found_ = NONE; // the start's entry, once reached
    std::vector<std::uint64_t> key_;
    std::vector<std::uint64_t> child_;
};

} // namespace goalbox

#endif
