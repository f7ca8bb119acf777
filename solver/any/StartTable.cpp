#include "solver/any/StartTable.h"

#include <algorithm>
#include <cstddef>

#include "solver/positions/GentleGrowth.h"

namespace goalbox {

StartTable::StartTable(const StaticLevel& level, const std::uint64_t* startKey,
                       std::int32_t boxCount)
    : level_(level), area_(level, boxCount), store_(level.keyWords),
      key_(startKey, startKey + level.keyWords), child_(key_) {
    add(NONE, child_.data(), level.playerFloor(startKey));
}

bool StartTable::add(std::uint32_t parent, std::uint64_t* key, std::int32_t player) {
    level_.setPlayer(key,
                     level_.floorCells[static_cast<std::size_t>(area_.measureArea(key, player))]);
    const std::uint64_t hash = PositionStore::hashOf(key, level_.keyWords);
    if (store_.find(key, hash) != NONE) {
        return false;
    }
    store_.insert(key, hash);
    growGently(parent_);
    parent_.push_back(parent);
    return true;
}

void StartTable::route(std::uint32_t entry, std::vector<SolutionStep>& pushes) const {
    const std::size_t before = pushes.size();
    for (; parent_[entry] != NONE; entry = parent_[entry]) {
        pushes.push_back(level_.pushBetween(store_.key(parent_[entry]), store_.key(entry)));
    }
    std::reverse(pushes.begin() + static_cast<std::ptrdiff_t>(before), pushes.end());
}

std::uint64_t StartTable::memoryBytes() const {
    return store_.memoryBytes() + parent_.capacity() * sizeof(std::uint32_t) + area_.memoryBytes() +
           (key_.capacity() + child_.capacity()) * sizeof(std::uint64_t);
}

} // namespace goalbox
