#ifndef SOLVER_ANY_GOALMACRO_H
#define SOLVER_ANY_GOALMACRO_H

#include <cstdint>
#include <utility>
#include <vector>

#include "solver/SolutionStep.h"
#include "solver/any/Corrals.h"
#include "solver/any/PackingOrder.h"
#include "solver/positions/StaticLevel.h"

namespace goalbox {

// Moves of the search for some route that fill the next goal of a room at once: a box is
// brought onto the next goal of its group's packing order by a search over its own pushes alone,
// the other boxes staying where they are and the player walking to each stand cell. Where the
// way is open, the search would otherwise make these pushes one at a time, with every other box
// free to move between them: many positions on the way to the same filled goal, none of them
// packing more than the one before. The move only adds a position that pushes reach, so a search
// that runs out of positions still shows that there is no route.
class GoalMacro {
  public:
    GoalMacro(const StaticLevel& level, const PackingOrder& order, std::int32_t boxCount);

    // For the position of key with the player on floor cell player: a box (in *box) that can
    // be brought onto the next goal of a group with the other boxes staying, by any pushes;
    // the goal, the pushes appended to steps and the player's floor cell after them in
    // *lastPlayer, or NO_FLOOR when none of the boxes nearest to a next goal can get there.
    std::int32_t advise(const std::uint64_t* key, std::int32_t player, std::int32_t* box,
                        std::vector<SolutionStep>& steps, std::int32_t* lastPlayer);

    std::uint64_t memoryBytes() const;

  private:
    static constexpr std::size_t ADVICE_BOXES = 3;
    static constexpr std::size_t STATE_LIMIT  = 2000;

    // Brings the box of floor cell box onto goal k of the order by pushes over cells from which
    // the order's table gets there; false when it cannot, or not within STATE_LIMIT states.
    bool bring(const std::uint64_t* key, std::int32_t box, std::int32_t player, std::int32_t k,
               std::vector<SolutionStep>& steps, std::int32_t* lastPlayer);

    struct State {
        std::int32_t box;
        std::int32_t player;
        std::int32_t parent; // index in states_, -1 for the first
        std::int32_t dir;    // of the push that led here
    };

    // The player's area in state, in area_; for the first state of bring (first), the
    // position advised itself, in startArea_, measured once for all the boxes tried.
    const Corrals& measureArea(const std::uint64_t* key, const State& state, bool first);

    const StaticLevel& level_;
    const PackingOrder& order_;
    Corrals area_;
    Corrals startArea_;
    bool startMeasured_ = false;
    std::vector<std::uint64_t> key_;
    std::vector<State> states_;
    std::vector<std::pair<std::int32_t, std::int32_t>> candidates_; // pushes, floor cell
    std::vector<std::uint32_t> seen_; // per floor cell * DIR_COUNT + direction pushed from
    std::uint32_t stamp_ = 0;
};

} // namespace goalbox

#endif
