#include "solver/PositionGraph.h"

#include <algorithm>
#include <cstddef>
#include <new>

namespace goalbox {

namespace {

// The number of boxes of key that stand off a goal.
std::int32_t offGoalCount(const StaticLevel& level, const std::uint64_t* key) {
    std::int32_t count = 0;
    level.forEachBox(key, [&](std::int32_t floor) {
        const CellIndex cell = level.floorCells[static_cast<std::size_t>(floor)];
        count += level.goal[static_cast<std::size_t>(cell)] == 0 ? 1 : 0;
    });
    return count;
}

} // namespace

namespace {

// An estimate as an entry keeps it. A position whose estimate does not fit in 16 bits needs
// more steps than the step counter holds; it is kept as INT16_MAX and read back as DEAD.
std::int16_t kept(std::int32_t estimate) {
    return estimate >= INT16_MAX ? INT16_MAX : static_cast<std::int16_t>(estimate);
}

} // namespace

PositionGraph::PositionGraph(const StaticLevel& level, LowerBound& bound, PushGenerator& generator,
                             const std::uint64_t* startKey, bool startTrapped)
    : level_(level), bound_(bound), generator_(generator), startTrapped_(startTrapped),
      freezeTest_(level, bound), store_(level.keyWords),
      parentKey_(static_cast<std::size_t>(level.keyWords)) {
    // The start is not solved (solve answers a solved board at once), and its estimate is
    // worked out in full at once: it decides whether there is anything to search.
    const std::uint32_t start =
        addEntry(startKey, PositionStore::hashOf(startKey, level.keyWords), false, 0);
    estimate_[start] = kept(bound_.estimate(startKey));
    flags_[start] |= EXACT;
}

std::uint32_t PositionGraph::addEntry(const std::uint64_t* key, std::uint64_t hash, bool solved,
                                      std::int32_t estimate) {
    const std::uint32_t entry = store_.insert(key, hash);
    estimate_.push_back(kept(estimate));
    // A solved position needs no steps, which is exact.
    flags_.push_back(solved ? SOLVED | EXACT : 0);
    firstEdge_.push_back(0);
    edgeCount_.push_back(0);
    return entry;
}

std::int32_t PositionGraph::knownEstimate(std::uint32_t entry) const {
    const std::int16_t estimate = estimate_[entry];
    return estimate == INT16_MAX ? LowerBound::DEAD : estimate;
}

std::int32_t PositionGraph::exactEstimate(std::uint32_t entry) {
    if ((flags_[entry] & EXACT) == 0) {
        estimate_[entry] = kept(bound_.estimate(store_.key(entry)));
        flags_[entry] |= EXACT;
    }
    return knownEstimate(entry);
}

PositionGraph::Pushes PositionGraph::pushesOf(std::uint32_t entry) {
    if ((flags_[entry] & GENERATED) != 0) {
        return Pushes(edgeChild_.data() + firstEdge_[entry], edgeCost_.data() + firstEdge_[entry],
                      edgeCount_[entry]);
    }
    // 1. Put the board in the position and generate its pushes.
    const std::uint64_t* stored = store_.key(entry);
    std::copy(stored, stored + level_.keyWords, parentKey_.begin());
    generator_.setPosition(parentKey_.data());
    generator_.generate(startTrapped_ && entry == 0, pushes_);
    ++generations_;
    const std::size_t count = pushes_.size();
    // Edge numbers and counts have room for the pushes of any level that fits in memory (a
    // position with 65536 pushes would need over 16000 boxes).
    if (edgeChild_.size() + count >= NONE || count > UINT16_MAX) {
        throw std::bad_alloc();
    }
    // 2. The position after each push, and whether the store holds it.
    const auto words = static_cast<std::size_t>(level_.keyWords);
    childKeys_.resize(count * words);
    childHashes_.resize(count);
    found_.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        std::uint64_t* child = &childKeys_[i * words];
        std::copy(parentKey_.begin(), parentKey_.end(), child);
        level_.applyPush(child, pushes_[i].from, pushes_[i].to);
        childHashes_[i] = PositionStore::hashOf(child, level_.keyWords);
        store_.prefetch(childHashes_[i]);
    }
    for (std::size_t i = 0; i < count; ++i) {
        found_[i] = store_.find(&childKeys_[i * words], childHashes_[i]);
    }
    // 3. A new position gets the estimate if the parent's assignment settles it, else the
    //    cheap one; one that cannot be solved is not stored at all.
    const std::int32_t parentEstimate = exactEstimate(entry);
    const std::int32_t offGoal        = offGoalCount(level_, parentKey_.data());
    const bool hasBoxes               = generator_.board().boxCount != 0;
    const auto first                  = static_cast<std::uint32_t>(edgeChild_.size());
    for (std::size_t i = 0; i < count; ++i) {
        const Push& push    = pushes_[i];
        std::uint32_t child = found_[i];
        if (child == NONE) {
            const std::int32_t childOffGoal =
                offGoal - (level_.goal[static_cast<std::size_t>(push.from)] == 0 ? 1 : 0) +
                (level_.goal[static_cast<std::size_t>(push.to)] == 0 ? 1 : 0);
            const std::uint64_t* key = &childKeys_[i * words];
            const bool solved        = hasBoxes && childOffGoal == 0;
            bool exact               = true;
            const std::int32_t estimate =
                solved ? 0
                       : bound_.estimateAfterPush(
                             parentKey_.data(), parentEstimate,
                             level_.floorIndex[static_cast<std::size_t>(push.from)],
                             level_.floorIndex[static_cast<std::size_t>(push.to)], key, exact);
            if (kept(estimate) != INT16_MAX && !freezeTest_.isFrozenOffGoal(key, push.to)) {
                child = addEntry(key, childHashes_[i], solved, estimate);
                if (exact) {
                    flags_[child] |= EXACT;
                }
            }
        }
        edgeChild_.push_back(child);
        edgeCost_.push_back(push.cost);
    }
    firstEdge_[entry] = first;
    edgeCount_[entry] = static_cast<std::uint16_t>(count);
    flags_[entry] |= GENERATED;
    return Pushes(edgeChild_.data() + first, edgeCost_.data() + first,
                  static_cast<std::uint32_t>(count));
}

std::uint64_t PositionGraph::memoryBytes() const {
    return store_.memoryBytes() + estimate_.capacity() * sizeof(std::int16_t) + flags_.capacity() +
           firstEdge_.capacity() * sizeof(std::uint32_t) +
           edgeCount_.capacity() * sizeof(std::uint16_t) +
           edgeChild_.capacity() * sizeof(std::uint32_t) +
           edgeCost_.capacity() * sizeof(std::int16_t) + generator_.memoryBytes() +
           bound_.memoryBytes();
}

} // namespace goalbox
