#ifndef SOLVER_BOUNDS_DEADBOUND_H
#define SOLVER_BOUNDS_DEADBOUND_H

#include <cstdint>

namespace goalbox {

// The bound of a position that cannot be solved, the one value that every bound here
// (LowerBound, BoxSubsets, EndTable) and the route search's estimate give for it. It lies far
// above any number of steps (the step counter has 16 bits) and far enough below the 32-bit limit
// that a few of them added up, or one plus a push's cost, never wrap. Every position after a
// push from a dead one is dead too, so the largest of several bounds is dead when one is.
inline constexpr std::int32_t BOUND_DEAD = 1 << 28;

} // namespace goalbox

#endif
