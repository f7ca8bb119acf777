#ifndef SOLVER_POSITIONS_GENTLEGROWTH_H
#define SOLVER_POSITIONS_GENTLEGROWTH_H

#include <algorithm>
#include <cstddef>
#include <vector>

namespace goalbox {

// Makes room in values for more elements (more at once, one otherwise) by growing its capacity
// by a quarter, where a vector left to itself would double it. The search's per-position arrays
// grow together; doubling them all at once would leave up to half of their memory unused just
// when it is largest. Copying a quarter more each time costs a few more copies of each element
// over a search, a small price beside the memory.
template <typename T> void growGently(std::vector<T>& values, std::size_t more = 1) {
    const std::size_t needed = values.size() + more;
    if (needed > values.capacity()) {
        const std::size_t capacity = values.capacity();
        values.reserve(std::max(needed, capacity + capacity / 4 + 64));
    }
}

} // namespace goalbox

#endif
