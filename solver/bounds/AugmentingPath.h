#ifndef SOLVER_BOUNDS_AUGMENTINGPATH_H
#define SOLVER_BOUNDS_AUGMENTINGPATH_H

#include <cstdint>
#include <vector>

namespace goalbox {

// One step of the cheapest assignment of rows to distinct columns (boxes to goals), by shortest
// augmenting paths with potentials: the row that has no column gets one, and the rows along the
// path hand theirs on. A tree of pairs at reduced cost 0 (the cost less its row's and its
// column's potential) grows from the row, the potentials moving by the least slack each time,
// until it reaches a column no row takes; the path to it is flipped. The potentials keep every
// reduced cost at 0 or more and at 0 on the pairs taken, which makes the assignment of the rows
// given a column so far the cheapest one.
//
// Costs are rows of columnCount values, row r (from 1) at (r - 1) * columnCount. The potentials
// and columnRow (per column: its row, 0 for none) count from 1; index 0 of the columns is the
// start of the search. The working arrays are kept from call to call.
class AugmentingPath {
  public:
    void augment(const std::int64_t* costs, std::int32_t columnCount, std::int32_t row,
                 std::int64_t* rowPotential, std::int64_t* columnPotential,
                 std::int32_t* columnRow);

    // Heap bytes of the working arrays, counted by capacity.
    std::uint64_t memoryBytes() const;

  private:
    std::vector<std::int64_t> minSlack_; // per column: the least reduced cost reaching it
    std::vector<std::int32_t> way_;      // per column: the column before it on the path
    std::vector<std::uint8_t> used_;     // per column: in the tree
};

} // namespace goalbox

#endif
