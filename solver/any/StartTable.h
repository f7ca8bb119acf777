#ifndef SOLVER_ANY_STARTTABLE_H
#define SOLVER_ANY_STARTTABLE_H

#include <algorithm>
#include <cstdint>
#include <vector>

#include "solver/SolutionStep.h"
#include "solver/any/Corrals.h"
#include "solver/positions/PositionStore.h"
#include "solver/positions/StaticLevel.h"

namespace goalbox {

// The positions near the start: a search forward from the start by rising pushes, breadth first,
// that the pull search meets. A position is the boxes and the player's area (the player on its
// lowest floor cell), as the pull search keeps them; entries are numbered in the order they are
// reached, so that order is the search's queue.
class StartTable {
  public:
    static constexpr std::uint32_t NONE = PositionStore::NONE;

    // startKey: the start position, its player on the floor.
    StartTable(const StaticLevel& level, const std::uint64_t* startKey, std::int32_t boxCount);

    // Goes on until the table holds at least positions positions or every one it reaches;
    // met(key) is asked for every position added and ends the growth when it returns true.
    template <typename Met> bool grow(std::uint64_t positions, Met met);

    std::uint32_t find(const std::uint64_t* key) const {
        return store_.find(key, PositionStore::hashOf(key, level_.keyWords));
    }
    // Appends the pushes from the start to the position of entry.
    void route(std::uint32_t entry, std::vector<SolutionStep>& pushes) const;
    std::uint64_t size() const { return store_.size(); }

    std::uint64_t memoryBytes() const;

  private:
    // Adds the position of key, its player on floor cell player; true when it is new.
    bool add(std::uint32_t parent, std::uint64_t* key, std::int32_t player);

    const StaticLevel& level_;
    Corrals area_;
    PositionStore store_;
    std::vector<std::uint32_t> parent_; // per entry: the position it was pushed from, or NONE
    std::uint32_t next_ = 0;            // the entry to expand next
    std::vector<std::uint64_t> key_;
    std::vector<std::uint64_t> child_;
};

template <typename Met> bool StartTable::grow(std::uint64_t positions, Met met) {
    while (store_.size() < positions && next_ < store_.size()) {
        const std::uint32_t entry = next_++;
        std::copy(store_.key(entry), store_.key(entry) + level_.keyWords, key_.begin());
        const std::int32_t player = level_.playerFloor(key_.data());
        area_.measureArea(key_.data(), player);
        bool meeting = false;
        level_.forEachBox(key_.data(), [&](std::int32_t box) {
            for (std::int32_t d = 0; d < DIR_COUNT && !meeting; ++d) {
                const std::int32_t to = level_.floorNeighbour(box, d);
                const std::int32_t stand =
                    level_.floorNeighbour(box, reverse(static_cast<Direction>(d)));
                if (to == NO_FLOOR || stand == NO_FLOOR || level_.hasBox(key_.data(), to) ||
                    !area_.inArea(stand)) {
                    continue;
                }
                std::copy(key_.begin(), key_.end(), child_.begin());
                level_.removeBox(child_.data(), box);
                level_.addBox(child_.data(), to);
                meeting = add(entry, child_.data(), box) && met(child_.data());
                area_.measureArea(key_.data(), player); // add measured the child's
            }
        });
        if (meeting) {
            return true;
        }
    }
    return false;
}

} // namespace goalbox

#endif
