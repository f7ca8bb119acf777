#include <cstddef>
#include <cstdint>
#include <random>
#include <set>
#include <vector>

#include <gtest/gtest.h>

#include "solver/positions/PositionStore.h"

namespace goalbox {
namespace {

// Distinct keys of three words, many of them one bit apart in the first two words, as positions
// with one box moved are.
std::vector<std::uint64_t> keyNumber(std::uint32_t n) {
    std::vector<std::uint64_t> key(3, 0);
    key[n % 2] = std::uint64_t{1} << (n % 64);
    key[2]     = n;
    return key;
}

TEST(PositionStore, NumbersKeysInOrderAndFindsEachAfterGrowing) {
    PositionStore store(3);
    EXPECT_EQ(store.find(keyNumber(0).data(), PositionStore::hashOf(keyNumber(0).data(), 3)),
              PositionStore::NONE);
    const std::uint32_t count = 50000;
    for (std::uint32_t n = 0; n < count; ++n) {
        const std::vector<std::uint64_t> key = keyNumber(n);
        const std::uint64_t hash             = PositionStore::hashOf(key.data(), 3);
        ASSERT_EQ(store.find(key.data(), hash), PositionStore::NONE);
        ASSERT_EQ(store.insert(key.data(), hash), n);
    }
    EXPECT_EQ(store.size(), count);
    for (std::uint32_t n = 0; n < count; ++n) {
        const std::vector<std::uint64_t> key = keyNumber(n);
        EXPECT_EQ(store.find(key.data(), PositionStore::hashOf(key.data(), 3)), n);
        EXPECT_EQ(std::vector<std::uint64_t>(store.key(n), store.key(n) + 3), key);
    }
    // Keys never stored are not found, even with the hash of a stored key.
    for (std::uint32_t n = count; n < count + 1000; ++n) {
        const std::vector<std::uint64_t> key = keyNumber(n);
        EXPECT_EQ(store.find(key.data(), PositionStore::hashOf(key.data(), 3)),
                  PositionStore::NONE);
        EXPECT_EQ(store.find(key.data(), PositionStore::hashOf(keyNumber(n - count).data(), 3)),
                  PositionStore::NONE);
    }
    EXPECT_GT(store.memoryBytes(), std::uint64_t{count} * 3 * sizeof(std::uint64_t));
}

TEST(PositionStore, HashSpreadsKeysThatDifferInOneBit) {
    // Keys one bit apart must not pile up in a few slots: count distinct top bits of the hash,
    // which pick the first slot.
    std::set<std::uint64_t> buckets;
    for (std::uint32_t bit = 0; bit < 128; ++bit) {
        std::vector<std::uint64_t> key(2, 0);
        key[bit / 64] = std::uint64_t{1} << (bit % 64);
        buckets.insert(PositionStore::hashOf(key.data(), 2) >> 54);
    }
    EXPECT_GT(buckets.size(), 110u);
}

} // namespace
} // namespace goalbox
