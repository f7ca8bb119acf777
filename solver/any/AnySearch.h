#ifndef SOLVER_ANY_ANYSEARCH_H
#define SOLVER_ANY_ANYSEARCH_H

#include <cstdint>
#include <vector>

#include "solver/SolutionStep.h"
#include "solver/SolveControl.h"
#include "solver/any/CorralDeadlocks.h"
#include "solver/any/Corrals.h"
#include "solver/any/FeatureQueue.h"
#include "solver/any/GoalAssignment.h"
#include "solver/any/PackingOrder.h"
#include "solver/bounds/BoxSubsets.h"
#include "solver/bounds/LowerBound.h"
#include "solver/dead/FrozenBoxes.h"
#include "solver/dead/LoneBoxes.h"
#include "solver/positions/PositionStore.h"
#include "solver/positions/PushGenerator.h"
#include "solver/positions/StaticLevel.h"

namespace goalbox {

// How the search for some route orders its positions; solveAny tries several in turn.
struct AnySettings {
    // The priority within a cell of the queue: these weights times the cheapest assignment of
    // boxes to goals, the pushes of the nearest box onto the next goal of the packing order
    // (blockedPenalty where none can get there), and the pushes made so far.
    std::int32_t estimateWeight = 1;
    std::int32_t nextWeight     = 1;
    std::int32_t pathWeight     = 0;
    std::int32_t blockedPenalty = 100;
    // Cells of the queue by the goals packed and the corrals (see FeatureQueue); otherwise one
    // cell, and each goal packed lowers the priority by packedWeight.
    bool featureCells         = true;
    std::int32_t packedWeight = 100;
    // Whether the packing order guides the search at all.
    bool followOrder = true;
    // The expansions after which the search gives up; 0: none.
    std::uint64_t expansionLimit = 0;
};

// The search of solveAny: a best-first search over positions after pushes that looks for some
// route, not the shortest one, where the exact search cannot end.
//
// A position is kept with its player on the lowest floor cell of the area it can walk in: the
// positions that differ only by where the player stands in one area allow the same pushes, so
// they are one. Every position after a push that cannot be solved is left out (a dead pattern,
// a box frozen off a goal, a box that cannot reach a goal even alone, a few boxes that cannot
// all be solved even alone, boxes that cannot all be given distinct goals), and where a corral
// narrows the pushes worth trying, only those are tried (Corrals). None of this leaves out a
// position that a route needs, so a search that runs out of positions shows that there is no
// route.
class AnySearch {
  public:
    enum Outcome { FOUND, NO_ROUTE, GAVE_UP, STOPPED };

    AnySearch(const StaticLevel& level, LowerBound& bound, const BoxSubsets& subsets,
              const LoneBoxes& loneBoxes, const PackingOrder& order, PushGenerator& generator,
              SolveControl& control, const AnySettings& settings);

    // Looks for a route from the position of startKey and, when it finds one, appends its
    // pushes to pushes (the stand cell and direction of each). startTrapped tells whether the
    // start shows a dead pattern. The start is not solved.
    Outcome run(const std::uint64_t* startKey, bool startTrapped,
                std::vector<SolutionStep>& pushes);

  private:
    static constexpr std::uint32_t NONE = PositionStore::NONE;

    void narrowToCorral();
    bool isDeadAfterPush(const Push& push);
    // Queues entry, whose position is key, after Corrals::measureArea of key.
    void queue(std::uint32_t entry, const std::uint64_t* key, std::int32_t estimate);
    bool expand(std::uint32_t entry, bool trapped);
    void route(std::uint32_t solved, std::vector<SolutionStep>& pushes) const;
    std::uint64_t memoryBytes() const;

    const StaticLevel& level_;
    LowerBound& bound_;
    const BoxSubsets& subsets_;
    const LoneBoxes& loneBoxes_;
    const PackingOrder& order_;
    PushGenerator& generator_;
    SolveControl& control_;
    const AnySettings settings_;
    FrozenBoxes frozenBoxes_;
    Corrals corrals_;
    GoalAssignment assignment_;
    CorralDeadlocks corralDeadlocks_;
    PositionStore store_;
    std::vector<std::uint32_t> parent_; // per entry: the position it was pushed from, or NONE
    std::vector<std::uint16_t> pushes_; // per entry: the pushes from the start on its path
    FeatureQueue queue_;
    std::uint32_t solved_ = NONE;

    // Working arrays.
    std::vector<Push> generated_;
    std::vector<std::uint64_t> parentKey_;
    std::vector<std::uint64_t> childKey_;
};

} // namespace goalbox

#endif
