#ifndef SOLVER_POSITIONS_POSITIONSTORE_H
#define SOLVER_POSITIONS_POSITIONSTORE_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "solver/positions/GentleGrowth.h"

namespace goalbox {

// A set of position keys (see StaticLevel) numbered 0, 1, 2, ... in order of insertion; the
// searches keep what they know about entry i in arrays of their own, indexed by i.
//
// The keys lie one after another in one array of words. An open-addressing table of entry
// numbers finds them: the upper half of a strong 64-bit hash of the key, scaled to the table's
// size, picks the first slot, and the following slots are tried in turn. Each slot keeps the upper
// half of its key's hash beside the entry number, so a lookup reads a stored key only when that
// half matches: most lookups touch one cache line of the table and at most one key. The table never
// holds more than three entries for four slots, and grows by half. Which slot an entry takes never
// reaches a search's result: the searches only ask whether a key is there and under which number.
class PositionStore {
  public:
    static constexpr std::uint32_t NONE = 0xFFFFFFFF;

    explicit PositionStore(std::int32_t keyWords);

    std::uint32_t size() const { return count_; }
    const std::uint64_t* key(std::uint32_t entry) const {
        return &keys_[static_cast<std::size_t>(entry) * wordCount_];
    }

    static std::uint64_t hashOf(const std::uint64_t* key, std::int32_t keyWords);

    // The number of the entry that holds key, or NONE.
    std::uint32_t find(const std::uint64_t* key, std::uint64_t hash) const;
    // Asks the processor to fetch the slot where a lookup of hash starts; a caller with several
    // keys to look up prefetches them all first, so their memory reads overlap.
    void prefetch(std::uint64_t hash) const;
    // Adds a key that find did not find and returns its number.
    std::uint32_t insert(const std::uint64_t* key, std::uint64_t hash);

    // Heap bytes of the keys and the table, counted by capacity.
    std::uint64_t memoryBytes() const;

  private:
    void grow();
    bool keyEquals(std::uint32_t entry, const std::uint64_t* key) const;
    // The upper 32 bits of the hash scaled to the table.
    std::size_t firstSlot(std::uint64_t hash) const {
        return static_cast<std::size_t>(((hash >> 32) * slots_.size()) >> 32);
    }
    std::size_t nextSlot(std::size_t slot) const {
        return slot + 1 == slots_.size() ? 0 : slot + 1;
    }
    void place(std::uint64_t hash, std::uint32_t entry);

    std::size_t wordCount_;
    std::uint32_t count_ = 0;
    std::vector<std::uint64_t> keys_;
    // Per slot: the upper 32 bits of the key's hash, then entry number + 1 (0: an empty slot).
    std::vector<std::uint64_t> slots_;
};

} // namespace goalbox

#endif
