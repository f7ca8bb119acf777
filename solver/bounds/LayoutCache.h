#ifndef SOLVER_BOUNDS_LAYOUTCACHE_H
#define SOLVER_BOUNDS_LAYOUTCACHE_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace goalbox {

// Totals of recent box layouts, for a bound that depends on the boxes alone, so that the
// positions that share a layout (the player elsewhere) work it out once. A layout comes as a
// 64-bit hash of its boxes; the top bits pick its slot, which keeps the whole hash with its
// lowest bit set (0 marks an empty slot) and the total; a new layout takes the slot over. Which
// totals it keeps never reaches a result. A cache much smaller than the layouts met is doubled,
// up to 2^MAX_BITS slots, and starts afresh.
class LayoutCache {
  public:
    LayoutCache() : slots_(std::size_t{1} << (64 - shift_), Slot{0, 0}) {}

    // The total of the layout of hash layout: the one kept, or else compute(), kept from then on.
    template <typename Compute> std::int32_t totalOf(std::uint64_t layout, Compute compute) {
        const std::uint64_t tag = layout | 1;
        Slot& slot              = slots_[layout >> shift_];
        if (slot.tag == tag) {
            return slot.total;
        }
        const std::int32_t total = compute();
        slot                     = Slot{tag, total};
        if (++missesSinceGrowth_ > 2 * slots_.size() && shift_ > 64 - MAX_BITS) {
            --shift_;
            slots_.assign(std::size_t{1} << (64 - shift_), Slot{0, 0});
            missesSinceGrowth_ = 0;
        }
        return total;
    }

    // Heap bytes, counted by capacity.
    std::uint64_t memoryBytes() const { return slots_.capacity() * sizeof(Slot); }

  private:
    static constexpr int MAX_BITS = 20;
    struct Slot {
        std::uint64_t tag;
        std::int32_t total;
    };

    int shift_ = 64 - 10; // 64 less the bits of a slot number
    std::vector<Slot> slots_;
    std::uint64_t missesSinceGrowth_ = 0;
};

} // namespace goalbox

#endif
