#include "solver/positions/PositionStore.h"

#include <new>

namespace goalbox {

namespace {

constexpr std::size_t INITIAL_SLOTS = 1024;
// The slots keep 32 bits of the hash, from which the first slot is scaled: enough for 2^32
// slots, that is about three thousand million positions, fewer than entry numbers can count.
constexpr std::size_t MAX_SLOTS = std::size_t{1} << 32;

// A 64-bit mixing step (the finaliser of a well-known 64-bit hash): every input bit reaches
// every output bit.
std::uint64_t mix(std::uint64_t x) {
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdULL;
    x ^= x >> 33;
    x *= 0xc4ceb9fe1a85ec53ULL;
    x ^= x >> 33;
    return x;
}

} // namespace

PositionStore::PositionStore(std::int32_t keyWords)
    : wordCount_(static_cast<std::size_t>(keyWords)) {}

std::uint64_t PositionStore::hashOf(const std::uint64_t* key, std::int32_t keyWords) {
    std::uint64_t hash = 0x9e3779b97f4a7c15ULL;
    for (std::int32_t w = 0; w < keyWords; ++w) {
        hash = mix(hash ^ key[w]) + static_cast<std::uint64_t>(w);
    }
    return hash;
}

bool PositionStore::keyEquals(std::uint32_t entry, const std::uint64_t* key) const {
    const std::uint64_t* stored = &keys_[static_cast<std::size_t>(entry) * wordCount_];
    for (std::size_t w = 0; w < wordCount_; ++w) {
        if (stored[w] != key[w]) {
            return false;
        }
    }
    return true;
}

namespace {

constexpr std::uint64_t ENTRY_BITS = 0xFFFFFFFFULL;

// The parts of a slot: the upper half of the hash, and the entry number (the slot holds it + 1).
std::uint64_t tagOf(std::uint64_t hash) {
    return hash & ~ENTRY_BITS;
}
std::uint32_t entryOf(std::uint64_t slot) {
    return static_cast<std::uint32_t>(slot & ENTRY_BITS) - 1;
}

} // namespace

std::uint32_t PositionStore::find(const std::uint64_t* key, std::uint64_t hash) const {
    if (slots_.empty()) {
        return NONE;
    }
    const std::uint64_t tag = tagOf(hash);
    for (std::size_t slot = firstSlot(hash);; slot = nextSlot(slot)) {
        const std::uint64_t held = slots_[slot];
        if (held == 0) {
            return NONE;
        }
        if (tagOf(held) == tag && keyEquals(entryOf(held), key)) {
            return entryOf(held);
        }
    }
}

void PositionStore::prefetch(std::uint64_t hash) const {
#if defined(__GNUC__) || defined(__clang__)
    if (!slots_.empty()) {
        __builtin_prefetch(&slots_[firstSlot(hash)]);
    }
#else
    (void)hash; // a hint only: without the builtin there is nothing to ask
#endif
}

void PositionStore::place(std::uint64_t hash, std::uint32_t entry) {
    std::size_t slot = firstSlot(hash);
    while (slots_[slot] != 0) {
        slot = nextSlot(slot);
    }
    slots_[slot] = tagOf(hash) | (static_cast<std::uint64_t>(entry) + 1);
}

std::uint32_t PositionStore::insert(const std::uint64_t* key, std::uint64_t hash) {
    if ((static_cast<std::size_t>(count_) + 1) * 4 > slots_.size() * 3) {
        grow();
    }
    const std::uint32_t entry = count_++;
    growGently(keys_, wordCount_);
    keys_.insert(keys_.end(), key, key + wordCount_);
    place(hash, entry);
    return entry;
}

// Grows the table by half: it then holds half as many entries as slots, three in four before
// the next growth. Slot numbers come from the upper half of the hash, which the slots keep.
void PositionStore::grow() {
    const std::size_t size = slots_.empty() ? INITIAL_SLOTS : slots_.size() + slots_.size() / 2;
    if (size > MAX_SLOTS) {
        throw std::bad_alloc();
    }
    std::vector<std::uint64_t> old(size, 0);
    old.swap(slots_);
    for (const std::uint64_t held : old) {
        if (held != 0) {
            place(tagOf(held), entryOf(held));
        }
    }
}

std::uint64_t PositionStore::memoryBytes() const {
    return keys_.capacity() * sizeof(std::uint64_t) + slots_.capacity() * sizeof(std::uint64_t);
}

} // namespace goalbox
