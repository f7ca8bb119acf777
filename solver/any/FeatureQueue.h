#ifndef SOLVER_ANY_FEATUREQUEUE_H
#define SOLVER_ANY_FEATUREQUEUE_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "solver/positions/CountedBuckets.h"

namespace goalbox {

// The queue of the search for some route: positions sorted into cells by what they have
// achieved (features such as the goals packed), and within a cell by a priority, the lowest
// first and among equal ones the latest. The cells take turns: each turn takes the best position
// of the next cell that holds any. A search that follows one priority alone can spend all its
// time on a wide plateau of positions that look alike; taking turns keeps every kind of progress
// moving.
class FeatureQueue {
  public:
    static constexpr std::uint32_t NONE = 0xFFFFFFFF;

    void push(std::uint32_t entry, std::size_t cell, std::size_t priority) {
        if (cells_.size() <= cell) {
            bytes_ += (cell + 1 - cells_.size()) * sizeof(Cell);
            cells_.resize(cell + 1);
        }
        Cell& target = cells_[cell];
        reachCounted(target.buckets, priority, bytes_);
        pushCounted(target.buckets[priority], entry, bytes_);
        if (priority < target.lowest) {
            target.lowest = priority;
        }
        ++target.count;
        ++count_;
    }

    // The next cell's best entry, or NONE when nothing is queued.
    std::uint32_t pop() {
        if (count_ == 0) {
            return NONE;
        }
        for (;;) {
            turn_      = turn_ + 1 < cells_.size() ? turn_ + 1 : 0;
            Cell& cell = cells_[turn_];
            if (cell.count == 0) {
                continue;
            }
            while (cell.buckets[cell.lowest].empty()) {
                releaseCounted(cell.buckets[cell.lowest], bytes_);
                ++cell.lowest;
            }
            Bucket& bucket            = cell.buckets[cell.lowest];
            const std::uint32_t entry = bucket.back();
            bucket.pop_back();
            --cell.count;
            --count_;
            return entry;
        }
    }

    std::uint64_t memoryBytes() const { return bytes_; }

  private:
    struct Cell {
        std::vector<Bucket> buckets;
        std::size_t lowest = SIZE_MAX;
        std::size_t count  = 0;
    };
    std::vector<Cell> cells_;
    std::size_t turn_    = 0;
    std::size_t count_   = 0;
    std::uint64_t bytes_ = 0;
};

} // namespace goalbox

#endif
