#ifndef SOLVER_PREFETCH_H
#define SOLVER_PREFETCH_H

namespace goalbox {

// Asks the processor to start loading the cache line of address for a read. The large tables
// of a search are read at scattered places; fetching all the places one step will need before
// reading any lets their memory reads overlap. A hint only: without the builtin it does nothing.
inline void prefetchRead(const void* address) {
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(address);
#else
    (void)address;
#endif
}

} // namespace goalbox

#endif
