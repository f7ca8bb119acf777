#ifndef SOLVER_ANY_ROUTEIMPROVER_H
#define SOLVER_ANY_ROUTEIMPROVER_H

#include <cstdint>
#include <vector>

#include "board/Board.h"
#include "solver/SolutionStep.h"
#include "solver/positions/PositionStore.h"
#include "solver/positions/PushGenerator.h"
#include "solver/positions/StaticLevel.h"

namespace goalbox {

// Shortens a route found by the search for some route: for short windows of it, a search for
// the fewest steps from the position at the window's start to the very position at its end (the
// same boxes, the player on the same cell) replaces the window's pushes when it finds a cheaper
// way. The rest of the route stays valid, since it starts from the same position. Each window's
// search gives up after a fixed number of positions, and all of them after a fixed number in
// all, so the work is bounded and the result depends on the route alone.
class RouteImprover {
  public:
    RouteImprover(const StaticLevel& level, PushGenerator& generator);

    // Improves pushes (a route from start, every push after a shortest walk to its stand cell)
    // in place. startTrapped tells whether start shows a dead pattern.
    void improve(const Board& start, bool startTrapped, std::vector<SolutionStep>& pushes);

  private:
    static constexpr std::size_t SHORT_WINDOW           = 8;
    static constexpr std::size_t LONG_WINDOW            = 16;
    static constexpr std::uint32_t POSITIONS_PER_WINDOW = 3000;
    static constexpr std::uint64_t POSITIONS            = 1000000;
    static constexpr std::int32_t PASSES                = 6;

    static constexpr std::int32_t MAX_FLOOR = 1024;
    static constexpr std::uint16_t NO_PATH  = 0xFFFF;

    void measurePushes();
    void replay(const Board& start, const std::vector<SolutionStep>& pushes);
    std::int32_t startWindow(const std::uint64_t* source, const std::uint64_t* target,
                             std::int32_t budget);
    void addChildren(std::uint32_t entry, bool trapped, std::int32_t budget);
    bool shortcut(std::size_t first, std::size_t last, bool trapped,
                  std::vector<SolutionStep>& replacement);

    const StaticLevel& level_;
    PushGenerator& generator_;
    std::uint64_t expanded_ = 0; // positions expanded by all the windows' searches
    // The route's positions: keys one after another (the start first), and the steps made when
    // each is reached.
    std::vector<std::uint64_t> keys_;
    std::vector<std::int32_t> steps_;
    // The working data of one window's search.
    PositionStore store_;
    std::vector<std::uint16_t> pushesBetween_; // per target floor * floorCount + floor
    std::vector<std::uint16_t> nearest_;       // per floor: pushes onto the nearest target box
    std::vector<std::int32_t> reached_;        // per entry: the steps from the window's start
    std::vector<std::int32_t> estimate_;       // per entry: its estimate
    std::vector<std::uint32_t> parent_;
    std::vector<std::vector<std::uint32_t>> buckets_;
    std::vector<Push> generated_;
    std::vector<std::uint64_t> key_;
    std::vector<std::uint64_t> child_;
};

} // namespace goalbox

#endif
