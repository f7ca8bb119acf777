#ifndef SOLVER_BOUNDEDPASSES_H
#define SOLVER_BOUNDEDPASSES_H

#include <cstdint>
#include <vector>

#include "solver/PositionGraph.h"
#include "solver/SearchControl.h"
#include "solver/SearchState.h"
#include "solver/StaticLevel.h"

namespace goalbox {

// The passes of the search procedure: depth-first descents from the start with a step limit
// growing by one, over a tree that stays from pass to pass; a node is expanded the first time
// a pass enters it within the limit, a position met again by a cheaper path gets a new node
// and its old one is retired, and the first solved node entered ends the search. They find
// the route; given the fewest steps C (GuidedSearch) they find it over far fewer positions, and
// it is still the same route:
//
//   - Only positions whose steps + estimate stay within C are kept. That sum never falls along
//     a push (the estimate is consistent), so a position left out has only positions beyond C
//     after it: none of them is on the route (whose last position has the sum C) or gives a
//     kept position its cheapest arrival. Positions that cannot be solved at all (the graph
//     leaves them out) are never on the route either, and no position that can be solved is
//     reached from one. So every position of the route and every position before it keeps
//     its children in the same order, minus some that are left out, it is expanded in the
//     same pass at the same point of the descent, and the first solved position that pass C
//     enters is the same.
//   - Every node knows the least steps of an unexpanded node below it (pending). A pass does
//     new work only at unexpanded nodes within its limit, so it skips a subtree whose pending
//     is beyond the limit. A skipped subtree that holds an unexpanded node counts as a cut, as
//     the full descent would have cut one there, so cleanPass comes out as it would; a subtree
//     with nothing unexpanded below it is finished for good and retired.
//   - The pushes of a position come from the graph, generated once for both searches.
class BoundedPasses {
  public:
    BoundedPasses(const StaticLevel& level, PositionGraph& graph, SearchControl& control,
                  std::int32_t stepBound);

    // The route from entry 0 of the graph, reached with startSteps, appended to solution;
    // returns its steps, or -1 when stopped or when a pass finds nothing new.
    std::int32_t run(std::int16_t startSteps, std::vector<SolutionStep>& solution);

  private:
    static constexpr std::uint32_t NONE = PositionGraph::NONE;

    // What a pass reads of every node it looks at, kept apart from the rest so that the
    // children of a node, which take consecutive places, lie in one short run of memory:
    //
    //   pending     the least steps of an unexpanded node in its subtree (itself included)
    //               that is not retired, or NOTHING_PENDING; a retired node has NOTHING_PENDING
    //   firstChild  its children are firstChild .. firstChild + childCount - 1
    //   childCount  0 until it is expanded (an expanded node without children has nothing
    //               pending, so no pass enters it again)
    struct Descent {
        std::int32_t pending;
        std::uint32_t firstChild;
        std::uint32_t childCount;
    };
    // The rest of a node.
    struct Origin {
        std::uint32_t entry;  // its position in the graph
        std::uint32_t parent; // unused for the root
        std::int16_t steps;
    };
    // A place in the descent: a node and the next of its children to look at.
    struct Frame {
        std::uint32_t node;
        std::uint32_t next;
    };

    std::uint32_t newNode(std::uint32_t entry, std::uint32_t parent, std::int16_t steps);
    void expand(std::uint32_t n);
    void addChild(std::uint32_t parent, std::uint32_t entry, std::int16_t steps);
    std::int32_t leastPendingOfChildren(std::uint32_t n) const;
    void retire(std::uint32_t n);
    SolutionStep pushInto(std::uint32_t n) const;
    std::int32_t rebuildSolution(std::uint32_t solvedNode,
                                 std::vector<SolutionStep>& solution) const;
    std::uint64_t memoryBytes() const;

    const StaticLevel& level_;
    PositionGraph& graph_;
    SearchControl& control_;
    std::int32_t stepBound_;
    bool rootExpanded_ = false;
    // The passes' store: per graph entry, the node that stands for it (NONE: not met) and the
    // fewest steps it was reached with.
    std::vector<std::uint32_t> entryNode_;
    std::vector<std::int16_t> entrySteps_;
    std::vector<Descent> descent_; // per node
    std::vector<Origin> origin_;   // per node
    std::vector<Frame> frames_;
};

} // namespace goalbox

#endif
