#ifndef SOLVER_GUIDEDSEARCH_H
#define SOLVER_GUIDEDSEARCH_H

#include <cstdint>
#include <vector>

#include "solver/PositionGraph.h"
#include "solver/SearchControl.h"

namespace goalbox {

// The first search of solve: finds the fewest steps of any solution, over the very positions
// and moves of the passes (boxes and the exact player cell; a walk and one push per move,
// costing the walk's length plus one; positions after which isTrapped holds left out), so that
// what it finds is the passes' own optimum.
//
// It is a best-first search ordered by steps + estimate (LowerBound), which is consistent: the
// first time a position is taken for expansion its steps are the fewest possible, and the first
// solved position taken has the fewest steps of all. Among equal sums the position queued last
// goes first, which follows one promising line to its end before widening. Positions that
// cannot lead to a solution (which PositionGraph leaves out) are never queued.
//
// A new position is queued by the estimate it got when it was found, often the cheap one, and
// gets the full estimate only when it comes to the front; if that is larger, it is queued
// again further back. Since the cheap estimate is never larger, no position is expanded before
// its turn, and most positions found are never taken at all.
class GuidedSearch {
  public:
    GuidedSearch(PositionGraph& graph, SearchControl& control);

    // The steps of a shortest solution from entry 0 of the graph, reached with startSteps, or
    // -1 when none exists. The caller has made sure that the start is not solved. Sets the
    // stats' aborted and returns -1 when stopped.
    std::int32_t run(std::int16_t startSteps);

  private:
    void queue(std::uint32_t entry, std::int32_t f);
    void growToGraph();
    std::uint64_t memoryBytes() const;

    // steps_ of an entry not reached yet.
    static constexpr std::int16_t UNREACHED = INT16_MAX;

    PositionGraph& graph_;
    SearchControl& control_;

    // Per entry of the graph: the fewest steps found so far, and whether it was expanded (its
    // steps are then final).
    std::vector<std::int16_t> steps_;
    std::vector<std::uint8_t> closed_;

    // The queue: one stack of entries per value of steps + estimate. An entry whose steps or
    // estimate changed after it was queued is queued again and its old place skipped.
    std::vector<std::vector<std::uint32_t>> open_;
    std::uint64_t openBytes_ = 0;
};

} // namespace goalbox

#endif
