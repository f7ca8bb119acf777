#include "solver/dead/FrozenBoxes.h"

#include <cstddef>

namespace goalbox {

FrozenBoxes::FrozenBoxes(const StaticLevel& level, const LowerBound& bound)
    : level_(level),
      reachesNoGoal_(static_cast<std::size_t>(level.cellCount > 0 ? level.cellCount : 0), 0),
      assumed_(reachesNoGoal_.size(), 0) {
    for (std::int32_t f = 0; f < level.floorCount; ++f) {
        reachesNoGoal_[static_cast<std::size_t>(level.floorCells[static_cast<std::size_t>(f)])] =
            bound.reachesNoGoal(f) ? 1 : 0;
    }
}

// A floor cell that holds a box for good: a box assumed lasting, or a frozen box.
bool FrozenBoxes::isLasting(CellIndex cell) {
    if (assumed_[static_cast<std::size_t>(cell)] != 0) {
        return true;
    }
    return level_.hasBox(key_, level_.floorIndex[static_cast<std::size_t>(cell)]) && isFrozen(cell);
}

// Whether the box on cell box can never move along the line of direction dir (right: its row,
// down: its column). Both pushes along the line need the same two cells, one for the player
// and one for the box.
bool FrozenBoxes::isBlocked(CellIndex box, std::int32_t dir) {
    // 1. The grid allows no push along the line: a cell beside it is not floor, or off the
    //    grid, or across a row end.
    if (!level_.isPushable(box, dir)) {
        return true;
    }
    // 2. Both pushes lead onto cells that reach no goal.
    const auto before = static_cast<CellIndex>(box - level_.dirOffset[dir]);
    const auto after  = static_cast<CellIndex>(box + level_.dirOffset[dir]);
    if (reachesNoGoal_[static_cast<std::size_t>(before)] != 0 &&
        reachesNoGoal_[static_cast<std::size_t>(after)] != 0) {
        return true;
    }
    // 3. A box beside it that stays for good.
    return isLasting(before) || isLasting(after);
}

bool FrozenBoxes::isFrozen(CellIndex box) {
    // Boxes packed tightly could make the test branch out without end; past a fixed number of
    // boxes examined it gives up, which only means a position is not left out.
    if (++examined_ > EXAMINE_LIMIT) {
        return false;
    }
    const std::size_t mark                  = frozen_.size();
    assumed_[static_cast<std::size_t>(box)] = 1;
    const bool frozen                       = isBlocked(box, DIR_RIGHT) && isBlocked(box, DIR_DOWN);
    assumed_[static_cast<std::size_t>(box)] = 0;
    if (frozen) {
        frozen_.push_back(box);
    } else {
        frozen_.resize(mark); // what was found frozen rested on this box staying
    }
    return frozen;
}

bool FrozenBoxes::isFrozenOffGoal(const std::uint64_t* key, CellIndex box) {
    key_      = key;
    examined_ = 0;
    frozen_.clear();
    if (!isFrozen(box) || examined_ > EXAMINE_LIMIT) {
        return false;
    }
    for (const CellIndex cell : frozen_) {
        if (level_.goal[static_cast<std::size_t>(cell)] == 0) {
            return true;
        }
    }
    return false;
}

} // namespace goalbox
