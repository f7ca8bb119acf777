#ifndef SOLVER_POSITIONS_COUNTEDBUCKETS_H
#define SOLVER_POSITIONS_COUNTEDBUCKETS_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace goalbox {

// Buckets of entry numbers, one stack per key (steps, or steps + estimate), as the searches
// queue their positions; their heap bytes are counted by capacity into a running total, which
// the memory budget reads.
using Bucket = std::vector<std::uint32_t>;

// Appends entry to bucket and counts the bytes a growth takes.
inline void pushCounted(Bucket& bucket, std::uint32_t entry, std::uint64_t& bytes) {
    const std::size_t before = bucket.capacity();
    bucket.push_back(entry);
    bytes += (bucket.capacity() - before) * sizeof(std::uint32_t);
}

// Empties bucket and gives its memory back.
inline void releaseCounted(Bucket& bucket, std::uint64_t& bytes) {
    bytes -= bucket.capacity() * sizeof(std::uint32_t);
    Bucket().swap(bucket);
}

// Makes buckets reach index at, counting the bucket objects added.
inline void reachCounted(std::vector<Bucket>& buckets, std::size_t at, std::uint64_t& bytes) {
    if (buckets.size() <= at) {
        bytes += (at + 1 - buckets.size()) * sizeof(Bucket);
        buckets.resize(at + 1);
    }
}

} // namespace goalbox

#endif
