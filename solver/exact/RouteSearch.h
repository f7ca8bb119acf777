#ifndef SOLVER_EXACT_ROUTESEARCH_H
#define SOLVER_EXACT_ROUTESEARCH_H

#include <cstdint>
#include <vector>

#include "solver/SolutionStep.h"
#include "solver/SolveControl.h"
#include "solver/bounds/BoxSubsets.h"
#include "solver/bounds/DeadBound.h"
#include "solver/bounds/EndTable.h"
#include "solver/bounds/LowerBound.h"
#include "solver/dead/FrozenBoxes.h"
#include "solver/exact/SearchTuning.h"
#include "solver/positions/PositionStore.h"
#include "solver/positions/PushGenerator.h"
#include "solver/positions/StaticLevel.h"

namespace goalbox {

// The search of solve: one best-first sweep that ends with the very route the passes of the plain
// search find (solver/reference/PlainSearch.h), without their repeated descents.
//
// What the passes do. A pass with limit L expands exactly the positions whose fewest steps are
// L (every push costs at least one step, so a node made in a pass lies beyond its limit, and a
// node within the limit was entered by the pass of its steps), and it enters them in the
// preorder of its tree, children in the order they were made. So the passes expand positions
// in the order (steps, path of child ranks from the root); a position hangs under the first
// expanded position that reaches it with its fewest steps; and the route leads to the solved
// position with the fewest steps C that comes first in that order.
//
// What the sweep does. Positions are expanded in the order (steps + estimate, steps), with a
// consistent estimate of the steps still needed, so every position that reaches another with
// its fewest steps is expanded before it. The estimate is the largest of
//
//   - the pushes that bring every box to its nearest goal (LowerBound; where no triple table
//     comes, the cheapest assignment of the boxes to distinct goals instead);
//   - the fewest steps that solve any two or three of the boxes alone (BoxSubsets), tables a
//     search adds as it grows, each only raising the estimate;
//   - one push looked ahead: the cheapest push's steps plus what is still needed after it;
//   - on a long search, the steps from a table of the positions near the end (EndTable), found
//     by a search backward from the solved positions that grows as this one does: exact within
//     its radius, the radius + 1 outside it, and hopeless where that search has ended and never
//     met the position.
//
// Each is consistent (a step lowers it by at most one), and so is their largest. A position's
// parent is the one that reaches it with its fewest steps and comes first in the passes' order:
// fewer steps first, and among equal steps the smaller path of child ranks, compared at the common
// ancestor of the two (the rank of a push is its place in the order of pushes: box cell, then
// right, down, up, left). When the first solved position comes up (it has C steps), every position
// with steps + estimate at most C and fewer than C steps has been expanded, among them every
// position of every shortest solution, so every solved position with C steps is known with its
// final parent, and the one whose path comes first is the passes' answer.
//
// Leaving out positions never changes that answer as long as none of them lies on a shortest
// solution: a position whose steps + estimate exceed C does not, nor does one that cannot be
// solved at all (a dead pattern, a box frozen off a goal, a box that reaches no goal, a few
// boxes that cannot all reach goals even alone), and every position that reaches a position of
// a shortest solution with its fewest steps lies on a shortest solution itself.
class RouteSearch {
  public:
    RouteSearch(const StaticLevel& level, LowerBound& bound, PushGenerator& generator,
                SolveControl& control, const SearchTuning& tuning);

    // The route from the position of startKey, reached with startSteps, appended to solution;
    // returns its steps, or -1 when there is none or when stopped. startTrapped tells whether
    // the start shows a dead pattern, which only the start can. The start is not solved.
    std::int32_t run(const std::uint64_t* startKey, bool startTrapped, std::int16_t startSteps,
                     std::vector<SolutionStep>& solution);

  private:
    static constexpr std::uint32_t NONE = PositionStore::NONE;

    std::uint32_t addEntry(const std::uint64_t* key, std::uint64_t hash, std::int16_t steps,
                           std::uint32_t parent, bool solved, std::int32_t estimate, bool exact);
    std::int32_t knownEstimate(std::uint32_t entry) const;
    std::int32_t exactEstimate(std::uint32_t entry);
    void queue(std::uint32_t entry);
    bool openNextLayer();
    SolveProgress progress(std::int32_t steps) const;
    void makeChildren(std::uint32_t entry, bool trapped);
    std::int32_t estimateChildren(std::uint32_t entry);
    void adoptChildren(std::uint32_t entry);
    void expand(std::uint32_t entry, bool trapped);
    void countExpansion();
    // What a table added in the middle of the search brings: a larger bound, sets of boxes that
    // cannot be solved, or both.
    enum class NewTable { BOUND, DEAD_SETS, BOUND_AND_DEAD_SETS };
    void reviewUnexpanded(NewTable table);
    void growEnds();
    bool precedes(std::uint32_t a, std::uint32_t b) const;
    std::uint32_t pushRank(std::uint32_t entry) const;
    SolutionStep pushInto(std::uint32_t entry) const;
    std::int32_t finish(std::uint32_t solved, std::vector<SolutionStep>& solution);
    std::uint64_t memoryBytes() const;

    const StaticLevel& level_;
    LowerBound& bound_;
    PushGenerator& generator_;
    SolveControl& control_;
    const SearchTuning tuning_;
    FrozenBoxes frozenBoxes_;
    BoxSubsets subsets_;
    // The assignment of boxes to goals (LowerBound::estimate) is part of the bound only on
    // levels that get no triple table: once a search has it, the largest bound of three boxes
    // alone is almost always larger and much cheaper. Settled when the search starts, so the
    // bound only ever grows.
    bool useAssignment_;
    PositionStore store_;
    // The positions near the end, from a search backward that a long search adds and grows
    // (each time to as many positions as the search forward has expanded), the next time at
    // endsAt_ expansions.
    EndTable ends_;
    std::uint64_t endsAt_;

    // Per entry: the fewest steps found so far (final once expanded), the estimate of the steps
    // still needed (16 bits, BOUND_DEAD kept as STORED_DEAD), flags, and the parent (NONE for
    // the start).
    std::vector<std::int16_t> steps_;
    std::vector<std::int16_t> estimate_;
    std::vector<std::uint8_t> flags_;
    std::vector<std::uint32_t> parent_;

    // The queue. The layer of the current sum steps + estimate is kept as one stack per steps
    // value; later sums as one unsorted stack each, sorted by steps when their turn comes. An
    // entry whose steps or estimate changed after it was queued is queued again and its old
    // place skipped.
    std::int32_t layerSum_   = -1;
    bool boundReached_       = false; // a solved position lies in the current layer
    std::int32_t layerSteps_ = 0;     // the steps of the entry taken last, for progress reports
    std::vector<std::vector<std::uint32_t>> layer_;
    std::vector<std::vector<std::uint32_t>> later_;
    std::uint64_t queueBytes_ = 0;

    // Working arrays of one expansion.
    std::vector<Push> pushes_;
    std::vector<std::uint64_t> parentKey_;
    std::vector<std::uint64_t> childKeys_;
    std::vector<std::uint64_t> childHashes_;
    struct ChildEstimate {
        std::int32_t value; // BOUND_DEAD: the position cannot be solved
        bool exact;
        bool solved;
    };
    std::vector<ChildEstimate> childEstimates_;
    std::vector<std::uint32_t> childEntries_; // per child: its entry in the store, or NONE
};

} // namespace goalbox

#endif
