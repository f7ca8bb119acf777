#ifndef SOLVER_ANY_CORRALDEADLOCKS_H
#define SOLVER_ANY_CORRALDEADLOCKS_H

#include <cstdint>
#include <vector>

#include "board/Board.h"
#include "solver/any/Corrals.h"
#include "solver/bounds/LowerBound.h"
#include "solver/dead/FrozenBoxes.h"
#include "solver/dead/LoneBoxes.h"
#include "solver/positions/PositionStore.h"
#include "solver/positions/PushGenerator.h"
#include "solver/positions/StaticLevel.h"

namespace goalbox {

// Corrals whose fence can never open: the boxes next to a corral, alone on the level with the
// player where it stands, can neither all be brought onto goals nor let the player into the
// corral. Taking the other boxes away never makes a level harder (their pushes become walks),
// and every solution brings the fence boxes onto goals, so then the position is dead.
//
// A small search over the fence boxes alone tells: it stops as soon as a position lets the
// player into the corral or has every fence box on a goal (nothing is known then), and it gives
// up after a fixed number of positions. When it runs out of positions, every way the fence
// boxes can go without opening the corral was tried and none puts them all on goals, and a way
// that opens the corral would have been met: the position is dead. Verdicts are kept per fence
// position.
class CorralDeadlocks {
  public:
    CorralDeadlocks(const StaticLevel& level, const LowerBound& bound, const LoneBoxes& loneBoxes,
                    const Board& start);

    // After corrals.measure of key: true when the fence of one of its corrals can never open.
    bool isDead(const std::uint64_t* key, const Corrals& corrals);

    std::uint64_t memoryBytes() const;

  private:
    static constexpr std::size_t MAX_FENCE          = 10;
    static constexpr std::int32_t MAX_PARTS_TRIED   = 4;
    static constexpr std::uint32_t SEARCH_POSITIONS = 1000;
    static constexpr std::uint32_t KEPT_VERDICTS    = 1u << 20;

    bool fenceIsDead(const std::uint64_t* key, std::int32_t player);
    bool opensOrSolves(const std::uint64_t* key, std::int32_t player, std::int32_t& lowest);

    const StaticLevel& level_;
    const LowerBound& bound_;
    const LoneBoxes& loneBoxes_;
    PushGenerator generator_;
    FrozenBoxes frozenBoxes_;
    Corrals area_;
    PositionStore verdictKeys_;
    std::vector<std::uint8_t> verdicts_; // per kept fence position: 1 when dead
    PositionStore seen_;
    std::vector<std::uint64_t> queue_; // the keys of the search, one after another
    std::vector<std::int32_t> corral_; // the cells of the corral being tried
    std::vector<std::int32_t> fence_;
    std::vector<std::uint64_t> fenceKey_;
    std::vector<std::uint64_t> child_;
    std::vector<Push> pushes_;
};

} // namespace goalbox

#endif
