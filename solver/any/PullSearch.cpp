#include "solver/any/PullSearch.h"

#include <algorithm>
#include <bit>
#include <cstddef>

#include "solver/positions/GentleGrowth.h"

namespace goalbox {

PullSearch::PullSearch(const StaticLevel& level, const std::uint64_t* startKey,
                       SolveControl& control)
    : level_(level), control_(control), startBoxes_(startKey, startKey + level.keyWords),
      distance_(static_cast<std::size_t>(level.floorCount), FAR_AWAY),
      area_(level, static_cast<std::int32_t>(level.goalFloors.size())),
      parentArea_(level, static_cast<std::int32_t>(level.goalFloors.size())),
      store_(level.keyWords), key_(static_cast<std::size_t>(level.keyWords)),
      child_(static_cast<std::size_t>(level.keyWords)) {
    startPlayer_       = level.playerFloor(startKey);
    std::int32_t boxes = 0;
    level.forEachBox(startKey, [&boxes](std::int32_t) { ++boxes; });
    usable_ = startPlayer_ != NO_FLOOR && boxes > 0 &&
              boxes == static_cast<std::int32_t>(level.goalFloors.size());
    if (usable_) {
        level.setPlayer(startBoxes_.data(), level.floorCells[0]);
        measureDistances();
    }
}

// A box pulled from cell a to cell b is a box pushed from b to a: the pulls from a cell to the
// nearest start cell are the pushes from a start cell to it, on the empty board with the player
// wherever it has floor to stand on.
void PullSearch::measureDistances() {
    std::vector<std::int32_t> queue;
    level_.forEachBox(startBoxes_.data(), [&](std::int32_t floor) {
        distance_[static_cast<std::size_t>(floor)] = 0;
        queue.push_back(floor);
    });
    for (std::size_t head = 0; head < queue.size(); ++head) {
        const std::int32_t floor = queue[head];
        for (std::int32_t d = 0; d < DIR_COUNT; ++d) {
            const std::int32_t to = level_.floorNeighbour(floor, d);
            if (!level_.isPushable(level_.floorCells[static_cast<std::size_t>(floor)], d) ||
                distance_[static_cast<std::size_t>(to)] != FAR_AWAY) {
                continue;
            }
            distance_[static_cast<std::size_t>(to)] = distance(floor) + 1;
            queue.push_back(to);
        }
    }
}

bool PullSearch::add(std::uint32_t parent, std::uint64_t* key, std::int32_t player,
                     std::int32_t estimate) {
    level_.setPlayer(key,
                     level_.floorCells[static_cast<std::size_t>(area_.measureArea(key, player))]);
    const std::uint64_t hash = PositionStore::hashOf(key, level_.keyWords);
    if (store_.find(key, hash) != NONE) {
        return false;
    }
    const std::uint32_t entry = store_.insert(key, hash);
    growGently(parent_);
    growGently(estimate_);
    parent_.push_back(parent);
    estimate_.push_back(estimate);
    // Only a start cell is no pull from one, and there are as many boxes as start cells: at 0
    // the boxes are the start's.
    if (estimate == 0 && area_.inArea(startPlayer_)) {
        found_ = entry;
        return true;
    }
    // The queue's cells: the boxes on start cells.
    std::size_t cell = 0;
    for (std::int32_t w = 0; w < level_.boxWords; ++w) {
        cell += static_cast<std::size_t>(
            std::popcount(level_.boxWord(key, w) & level_.boxWord(startBoxes_.data(), w)));
    }
    queue_.push(entry, cell, static_cast<std::size_t>(estimate));
    return false;
}

void PullSearch::route(std::uint32_t entry, std::vector<SolutionStep>& pushes) const {
    for (; parent_[entry] != NONE; entry = parent_[entry]) {
        pushes.push_back(level_.pushBetween(store_.key(entry), store_.key(parent_[entry])));
    }
}

// The solved boxes with the player in each of their areas; GAVE_UP when the search goes on.
PullSearch::Outcome PullSearch::seed(std::vector<SolutionStep>& pushes) {
    std::fill(key_.begin(), key_.end(), 0);
    std::int32_t estimate = 0;
    for (const std::int32_t goal : level_.goalFloors) {
        level_.addBox(key_.data(), goal);
        if (distance(goal) == FAR_AWAY) {
            return NO_ROUTE;
        }
        estimate += distance(goal);
    }
    std::vector<std::uint8_t> seen(static_cast<std::size_t>(level_.floorCount), 0);
    for (std::int32_t f = 0; f < level_.floorCount; ++f) {
        if (level_.hasBox(key_.data(), f) || seen[static_cast<std::size_t>(f)] != 0) {
            continue;
        }
        std::copy(key_.begin(), key_.end(), child_.begin());
        if (add(NONE, child_.data(), f, estimate)) {
            route(found_, pushes);
            return FOUND;
        }
        for (std::int32_t g = 0; g < level_.floorCount; ++g) {
            seen[static_cast<std::size_t>(g)] |= area_.inArea(g) ? 1 : 0;
        }
    }
    return GAVE_UP;
}

PullSearch::Outcome PullSearch::run(std::uint64_t expansionLimit, std::uint64_t otherBytes,
                                    std::vector<SolutionStep>& pushes) {
    if (!usable_) {
        return GAVE_UP;
    }
    if (store_.size() == 0) {
        const Outcome seeded = seed(pushes);
        if (seeded != GAVE_UP) {
            return seeded;
        }
    }
    // Position after position by the lowest priority, the latest first.
    const SolveProgress progress;
    SolveStats& stats = control_.stats();
    for (std::uint64_t expanded = 0;; ++expanded) {
        if (control_.stopRequested(progress)) {
            return STOPPED;
        }
        if (expansionLimit != 0 && expanded == expansionLimit) {
            return GAVE_UP;
        }
        const std::uint32_t entry = queue_.pop();
        if (entry == NONE) {
            return NO_ROUTE;
        }
        std::copy(store_.key(entry), store_.key(entry) + level_.keyWords, key_.begin());
        parentArea_.measureArea(key_.data(), level_.playerFloor(key_.data()));
        bool found = false;
        level_.forEachBox(key_.data(), [&](std::int32_t box) {
            for (std::int32_t d = 0; d < DIR_COUNT && !found; ++d) {
                const std::int32_t stand = level_.floorNeighbour(box, d);
                if (stand == NO_FLOOR || !parentArea_.inArea(stand)) {
                    continue;
                }
                const std::int32_t back = level_.floorNeighbour(stand, d);
                if (back == NO_FLOOR || level_.hasBox(key_.data(), back) ||
                    distance(stand) == FAR_AWAY) {
                    continue;
                }
                std::copy(key_.begin(), key_.end(), child_.begin());
                level_.removeBox(child_.data(), box);
                level_.addBox(child_.data(), stand);
                found = add(entry, child_.data(), back,
                            estimate_[entry] - distance(box) + distance(stand));
            }
        });
        ++stats.nodesExpanded;
        stats.statesStored = std::max<std::uint64_t>(stats.statesStored, store_.size());
        control_.checkMemory(memoryBytes() + otherBytes, store_.size());
        if (found) {
            route(found_, pushes);
            return FOUND;
        }
    }
}

std::uint64_t PullSearch::memoryBytes() const {
    return store_.memoryBytes() + parent_.capacity() * sizeof(std::uint32_t) +
           estimate_.capacity() * sizeof(std::int32_t) + queue_.memoryBytes() +
           area_.memoryBytes() + parentArea_.memoryBytes();
}

} // namespace goalbox
