#ifndef SOLVER_REFERENCE_SEARCHTREE_H
#define SOLVER_REFERENCE_SEARCHTREE_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "solver/reference/SearchState.h"

namespace goalbox {

// Names one entry of the visited store: its bucket (equal to the entry's hash) and its
// position within the bucket, counted from 0. The position has 32 bits so that every entry of
// a bucket stays addressable, however long the bucket grows. position -1 names nothing.
struct StateRef {
    std::int32_t bucket   = 0;
    std::int32_t position = -1;

    bool operator==(const StateRef&) const = default;
};

enum StoreOutcome : std::int32_t {
    STORE_ADDED    = 0, // a new position, appended to its bucket
    STORE_IMPROVED = 1, // a known position reached with fewer steps: steps and step updated
    STORE_REJECTED = 2, // a known position reached with as many steps or more: nothing changed
};

struct StoreResult {
    StoreOutcome outcome = STORE_REJECTED;
    StateRef ref; // position -1 on STORE_REJECTED
};

// One node of the search tree. Nodes are never removed; a retired node is only marked dead.
struct SearchNode {
    StateRef stateRef;
    std::vector<std::int32_t> children; // indices within the next level, in order added
    std::int32_t parent = -1;           // index within the previous level; unused for the root
    bool expanded       = false;
    bool dead           = false;
};

// The visited store (every distinct position once, spread over 65536 buckets by hash) and the
// search tree, kept level by level. Records refer to each other by index only: a StateRef and
// a (level, index) pair stay valid while the arrays grow.
//
// For every entry that has a node, the entry's (level, index) name its current node, and its
// steps and step belong to the cheapest path known to the position.
struct SearchTree {
    static constexpr std::int32_t BUCKET_COUNT = 65536;

    std::vector<std::vector<SearchState>> buckets;
    std::vector<std::vector<SearchNode>> levels;
    SearchState rootCopy;

    // Builds the store and the root node from the initial state, which comes back with level
    // 0 and index 0; it is the first entry of its bucket.
    explicit SearchTree(SearchState& initial);

    // Looks s up: adds it, lowers a stored entry's steps and step (keeping its level and index,
    // which still name the old node), or rejects it when the entry has as few steps or fewer.
    StoreResult storeState(const SearchState& s);

    SearchState& entryAt(StateRef ref) {
        return buckets[static_cast<std::size_t>(ref.bucket)]
                      [static_cast<std::size_t>(ref.position)];
    }
    const SearchState& entryAt(StateRef ref) const {
        return buckets[static_cast<std::size_t>(ref.bucket)]
                      [static_cast<std::size_t>(ref.position)];
    }
    SearchNode& nodeAt(std::int32_t level, std::int32_t index) {
        return levels[static_cast<std::size_t>(level)][static_cast<std::size_t>(index)];
    }
    const SearchNode& nodeAt(std::int32_t level, std::int32_t index) const {
        return levels[static_cast<std::size_t>(level)][static_cast<std::size_t>(index)];
    }

    // Records that s was reached from node p of level k by the push s.step with s.steps steps.
    // A rejected s makes no node; an improved one retires the entry's old node and gets a new
    // node under p.
    void addChild(std::int32_t k, std::int32_t p, const SearchState& s);

    // Advances cursor c (-1: before the first child) to the next live child of node p of level
    // k and copies that child's entry into out. With no live child left, c becomes -1 and out a
    // copy of rootCopy. c must be -1 or a value this call gave for the same node.
    void nextChild(std::int32_t k, std::int32_t p, std::int32_t& c, SearchState& out) const;

    // Marks node i of level k dead and releases its children array; the child nodes stay.
    void retireNode(std::int32_t k, std::int32_t i);

    // Approximate heap bytes held by the buckets (entries with their box-bit words), the
    // levels' nodes and their children arrays, counted by container capacity.
    std::uint64_t memoryBytes() const { return memoryBytes_; }
    // Number of store entries added so far (the initial state included).
    std::uint64_t storedCount() const { return storedCount_; }

  private:
    void appendNode(std::int32_t level, const SearchNode& node);
    void appendChildIndex(SearchNode& node, std::int32_t child);

    std::uint64_t memoryBytes_ = 0;
    std::uint64_t storedCount_ = 0;
};

} // namespace goalbox

#endif
