#include "solver/reference/SearchTree.h"

#include <algorithm>
#include <cstddef>

namespace goalbox {

namespace {

// Bookkeeping cost of one heap block beyond its payload, as most allocators charge it.
constexpr std::uint64_t HEAP_BLOCK_OVERHEAD = 16;

// Heap bytes of a vector's buffer with room for capacity elements of elementSize bytes.
std::uint64_t bufferBytes(std::size_t capacity, std::size_t elementSize) {
    if (capacity == 0) {
        return 0;
    }
    return static_cast<std::uint64_t>(capacity) * elementSize + HEAP_BLOCK_OVERHEAD;
}

std::uint64_t entryWordBytes(const SearchState& s) {
    return bufferBytes(s.boxBits.words.capacity(), sizeof(std::uint64_t));
}

} // namespace

SearchTree::SearchTree(SearchState& initial)
    : buckets(static_cast<std::size_t>(BUCKET_COUNT)), rootCopy(initial) {
    memoryBytes_ = bufferBytes(buckets.capacity(), sizeof(std::vector<SearchState>)) +
                   entryWordBytes(rootCopy);

    // The root: one level holding one node.
    levels.emplace_back();
    memoryBytes_ += bufferBytes(levels.capacity(), sizeof(std::vector<SearchNode>));
    initial.level = 0;
    initial.index = 0;
    SearchNode root;
    root.stateRef = storeState(initial).ref;
    appendNode(0, root);
}

StoreResult SearchTree::storeState(const SearchState& s) {
    std::vector<SearchState>& bucket = buckets[s.hash];
    for (std::size_t position = 0; position < bucket.size(); ++position) {
        SearchState& e = bucket[position];
        if (!isSamePosition(e, s)) {
            continue;
        }
        const StateRef ref{static_cast<std::int32_t>(s.hash), static_cast<std::int32_t>(position)};
        if (s.steps < e.steps) {
            e.steps = s.steps;
            e.step  = s.step;
            return {STORE_IMPROVED, ref};
        }
        return {STORE_REJECTED, StateRef{}};
    }

    const std::size_t oldCapacity = bucket.capacity();
    bucket.push_back(s);
    memoryBytes_ += bufferBytes(bucket.capacity(), sizeof(SearchState)) -
                    bufferBytes(oldCapacity, sizeof(SearchState)) + entryWordBytes(bucket.back());
    ++storedCount_;
    return {STORE_ADDED, StateRef{static_cast<std::int32_t>(s.hash),
                                  static_cast<std::int32_t>(bucket.size() - 1)}};
}

void SearchTree::appendNode(std::int32_t level, const SearchNode& node) {
    std::vector<SearchNode>& nodes = levels[static_cast<std::size_t>(level)];
    const std::size_t oldCapacity  = nodes.capacity();
    nodes.push_back(node);
    memoryBytes_ += bufferBytes(nodes.capacity(), sizeof(SearchNode)) -
                    bufferBytes(oldCapacity, sizeof(SearchNode));
}

void SearchTree::appendChildIndex(SearchNode& node, std::int32_t child) {
    const std::size_t oldCapacity = node.children.capacity();
    node.children.push_back(child);
    memoryBytes_ += bufferBytes(node.children.capacity(), sizeof(std::int32_t)) -
                    bufferBytes(oldCapacity, sizeof(std::int32_t));
}

void SearchTree::addChild(std::int32_t k, std::int32_t p, const SearchState& s) {
    // 1. Look the position up.
    const StoreResult stored = storeState(s);
    if (stored.outcome == STORE_REJECTED) {
        return;
    }
    // 2. A cheaper path to a known position: its old node is given up. Since steps grow along
    //    every link, that node is neither p nor one of p's ancestors.
    if (stored.outcome == STORE_IMPROVED) {
        const SearchState& old = entryAt(stored.ref);
        retireNode(old.level, old.index);
    }
    // 3. Levels grow one at a time at the deep end.
    const auto childLevel = static_cast<std::size_t>(k) + 1;
    if (levels.size() <= childLevel) {
        const std::size_t oldCapacity = levels.capacity();
        levels.emplace_back();
        memoryBytes_ += bufferBytes(levels.capacity(), sizeof(std::vector<SearchNode>)) -
                        bufferBytes(oldCapacity, sizeof(std::vector<SearchNode>));
    }
    // 4. The new node under p.
    SearchNode node;
    node.stateRef = stored.ref;
    node.parent   = p;
    const auto n  = static_cast<std::int32_t>(levels[childLevel].size());
    appendNode(k + 1, node);
    // 5. The entry now stands for the new node.
    SearchState& entry = entryAt(stored.ref);
    entry.level        = k + 1;
    entry.index        = n;
    // 6. Hang it under p.
    appendChildIndex(nodeAt(k, p), n);
}

void SearchTree::nextChild(std::int32_t k, std::int32_t p, std::int32_t& c,
                           SearchState& out) const {
    const std::vector<std::int32_t>& children = nodeAt(k, p).children;
    auto it                                   = children.begin();
    if (c != -1) {
        it = std::find(children.begin(), children.end(), c);
        if (it != children.end()) {
            ++it;
        }
    }
    for (; it != children.end(); ++it) {
        c                       = *it;
        const SearchNode& child = nodeAt(k + 1, c);
        if (!child.dead) {
            out = entryAt(child.stateRef);
            return;
        }
    }
    c   = -1;
    out = rootCopy;
}

void SearchTree::retireNode(std::int32_t k, std::int32_t i) {
    SearchNode& node = nodeAt(k, i);
    node.dead        = true;
    memoryBytes_ -= bufferBytes(node.children.capacity(), sizeof(std::int32_t));
    std::vector<std::int32_t>().swap(node.children);
}

} // namespace goalbox
