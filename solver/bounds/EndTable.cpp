#include "solver/bounds/EndTable.h"

#include <algorithm>

#include "solver/positions/CountedBuckets.h"
#include "solver/positions/GentleGrowth.h"

namespace goalbox {

EndTable::EndTable(const StaticLevel& level, std::int32_t boxCount)
    : level_(level), store_(level.keyWords), settling_(static_cast<std::size_t>(level.keyWords)),
      earlier_(static_cast<std::size_t>(level.keyWords)),
      walkLength_(static_cast<std::size_t>(level.floorCount), -1) {
    usable_ = boxCount > 0 && static_cast<std::int32_t>(level.goalFloors.size()) == boxCount;
}

// True when a push can leave the player on floor: a box beside it with floor behind it, the
// cell the push came from.
bool EndTable::leftByPush(const std::uint64_t* boxes, std::int32_t floor) const {
    for (std::int32_t d = 0; d < DIR_COUNT; ++d) {
        const std::int32_t beside = level_.floorNeighbour(floor, d);
        const std::int32_t behind =
            level_.floorNeighbour(floor, reverse(static_cast<Direction>(d)));
        if (beside != NO_FLOOR && behind != NO_FLOOR && hasBox(boxes, beside)) {
            return true;
        }
    }
    return false;
}

void EndTable::offer(const std::uint64_t* key, std::int32_t steps) {
    if (steps >= INT16_MAX) {
        return;
    }
    const std::uint64_t hash = PositionStore::hashOf(key, level_.keyWords);
    std::uint32_t entry      = store_.find(key, hash);
    if (entry == PositionStore::NONE) {
        entry = store_.insert(key, hash);
        growGently(steps_);
        steps_.push_back(static_cast<std::int16_t>(steps));
    } else if (steps < steps_[entry]) {
        steps_[entry] = static_cast<std::int16_t>(steps);
    } else {
        return;
    }
    const auto at = static_cast<std::size_t>(steps);
    reachCounted(buckets_, at, bucketBytes_);
    pushCounted(buckets_[at], entry, bucketBytes_);
}

// The solved positions: every box on a goal, the player on any cell a push can leave it on.
void EndTable::seed() {
    seeded_ = true;
    std::fill(earlier_.begin(), earlier_.end(), 0);
    for (const std::int32_t goal : level_.goalFloors) {
        level_.addBox(earlier_.data(), goal);
    }
    const std::vector<std::uint64_t> solved = earlier_;
    for (std::int32_t f = 0; f < level_.floorCount; ++f) {
        if (!hasBox(solved.data(), f) && leftByPush(solved.data(), f)) {
            std::copy(solved.begin(), solved.end(), earlier_.begin());
            level_.setPlayer(earlier_.data(), level_.floorCells[static_cast<std::size_t>(f)]);
            offer(earlier_.data(), 0);
        }
    }
}

// Undoes every push that can have led to entry and offers the positions before it.
void EndTable::settle(std::uint32_t entry) {
    const std::int32_t steps = steps_[entry];
    std::copy(store_.key(entry), store_.key(entry) + level_.keyWords, settling_.begin());
    const std::int32_t q = level_.playerFloor(settling_.data());
    for (std::int32_t d = 0; d < DIR_COUNT; ++d) {
        const std::int32_t box  = level_.floorNeighbour(q, d);
        const std::int32_t from = level_.floorNeighbour(q, reverse(static_cast<Direction>(d)));
        if (box == NO_FLOOR || from == NO_FLOOR || !hasBox(settling_.data(), box) ||
            hasBox(settling_.data(), from)) {
            continue;
        }
        // The boxes before the push: the pushed one back on q.
        std::copy(settling_.begin(), settling_.end(), earlier_.begin());
        level_.removeBox(earlier_.data(), box);
        level_.addBox(earlier_.data(), q);
        // The walk to the cell the push came from, from every cell of its area.
        std::fill(walkLength_.begin(), walkLength_.end(), -1);
        walkQueue_.clear();
        walkQueue_.push_back(from);
        walkLength_[static_cast<std::size_t>(from)] = 0;
        for (std::size_t head = 0; head < walkQueue_.size(); ++head) {
            const std::int32_t p = walkQueue_[head];
            const std::int32_t w = walkLength_[static_cast<std::size_t>(p)];
            for (std::int32_t e = 0; e < DIR_COUNT; ++e) {
                const std::int32_t next = level_.floorNeighbour(p, e);
                if (next != NO_FLOOR && walkLength_[static_cast<std::size_t>(next)] < 0 &&
                    !hasBox(earlier_.data(), next)) {
                    walkLength_[static_cast<std::size_t>(next)] = w + 1;
                    walkQueue_.push_back(next);
                }
            }
            if (leftByPush(earlier_.data(), p)) {
                level_.setPlayer(earlier_.data(), level_.floorCells[static_cast<std::size_t>(p)]);
                offer(earlier_.data(), steps + w + 1);
            }
        }
    }
}

bool EndTable::grow(std::uint64_t positions, std::uint64_t maxBytes,
                    const std::function<bool()>& stop) {
    if (!usable_ || complete_) {
        return false;
    }
    if (!seeded_) {
        seed();
    }
    const std::int32_t before = radius_;
    while (settled_ < positions && memoryBytes() <= maxBytes) {
        while (taking_ < buckets_.size() && buckets_[taking_].empty()) {
            releaseCounted(buckets_[taking_], bucketBytes_);
            ++taking_;
        }
        if (taking_ >= buckets_.size()) {
            break;
        }
        radius_                   = static_cast<std::int32_t>(taking_) - 1;
        const std::uint32_t entry = buckets_[taking_].back();
        buckets_[taking_].pop_back();
        if (static_cast<std::size_t>(steps_[entry]) == taking_) {
            settle(entry);
            ++settled_;
            if (stop && stop()) {
                break;
            }
        }
    }
    // Every position with fewer steps than the first bucket still holding one is settled.
    while (taking_ < buckets_.size() && buckets_[taking_].empty()) {
        ++taking_;
    }
    if (taking_ >= buckets_.size()) {
        complete_ = true;
        radius_   = INT16_MAX;
    } else {
        radius_ = static_cast<std::int32_t>(taking_) - 1;
    }
    return radius_ > before;
}

std::int32_t EndTable::bound(const std::uint64_t* key) const {
    if (radius_ < 0) {
        return 0;
    }
    const std::int32_t floor = level_.playerFloor(key);
    if (floor == NO_FLOOR || !leftByPush(key, floor)) {
        return 0; // only a start position: the table holds positions after a push
    }
    const std::uint32_t entry = store_.find(key, PositionStore::hashOf(key, level_.keyWords));
    if (entry != PositionStore::NONE && steps_[entry] <= radius_) {
        return steps_[entry];
    }
    return complete_ ? BOUND_DEAD : radius_ + 1;
}

std::uint64_t EndTable::memoryBytes() const {
    return store_.memoryBytes() + steps_.capacity() * sizeof(std::int16_t) + bucketBytes_ +
           (walkLength_.capacity() + walkQueue_.capacity()) * sizeof(std::int32_t);
}

} // namespace goalbox
