#ifndef SOLVER_ANY_ANYSEARCH_H
#define SOLVER_ANY_ANYSEARCH_H

#include <cstdint>
#include <utility>
#include <vector>

#include "solver/SolutionStep.h"
#include "solver/SolveControl.h"
#include "solver/any/CorralDeadlocks.h"
#include "solver/any/Corrals.h"
#include "solver/any/FeatureQueue.h"
#include "solver/any/GoalAssignment.h"
#include "solver/any/GoalMacro.h"
#include "solver/any/PackingOrder.h"
#include "solver/any/PullSearch.h"
#include "solver/bounds/BoxSubsets.h"
#include "solver/bounds/EndTable.h"
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
    // The weight of the boxes in that box's way (PackingOrder::obstacles).
    std::int32_t obstacleWeight = 0;
    // Cells of the queue by the goals packed and the corrals (see FeatureQueue); otherwise one
    // cell, and each goal packed lowers the priority by packedWeight.
    bool featureCells         = true;
    std::int32_t packedWeight = 100;
    // Whether the packing order guides the search at all.
    bool followOrder = true;
    // Whether each expansion also brings a box onto the next goal of a group of the packing
    // order in one move, where one can get there with the other boxes staying (GoalMacro).
    bool advice = true;
    // Whether this setting runs the pull search (PullSearch) on from where it stopped instead,
    // the other fields but expansionLimit unused.
    bool pull = false;
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
//
// The table of the positions near the end (EndTable, grown by the caller between searches) meets
// the search halfway: a position after a push within the table's radius ends the search, and the
// route goes on along the table, each push to a position nearer the end. Once the table holds
// every position it reaches, a position outside it is left out as well. So do the positions of
// the pull search, where one is given: the route goes on along the pull search's pulls.
class AnySearch {
  public:
    enum Outcome { FOUND, NO_ROUTE, GAVE_UP, STOPPED };

    AnySearch(const StaticLevel& level, LowerBound& bound, const BoxSubsets& subsets,
              const LoneBoxes& loneBoxes, const PackingOrder& order, const EndTable& ends,
              const PullSearch* pull, PushGenerator& generator, SolveControl& control,
              const AnySettings& settings);

    // Looks for a route from the position of startKey and, when it finds one, appends its
    // pushes to pushes (the stand cell and direction of each). startTrapped tells whether the
    // start shows a dead pattern. The start is not solved.
    Outcome run(const std::uint64_t* startKey, bool startTrapped,
                std::vector<SolutionStep>& pushes);

  private:
    static constexpr std::uint32_t NONE = PositionStore::NONE;

    void narrowToCorral();
    bool isDeadAfterPush(const Push& push, const std::uint64_t* key);
    // Queues entry, whose position is key, after Corrals::measureArea of key.
    void queue(std::uint32_t entry, const std::uint64_t* key, std::int32_t estimate);
    bool expand(std::uint32_t entry, bool trapped);
    // Stores and queues the position of key, reached from entry after pushes pushes in all
    // that moved one box from floor cell from to floor cell to, unless it was met before or
    // has no goal assignment; Corrals::measureArea of key came last. True when key is solved.
    bool add(std::uint32_t entry, const std::uint64_t* key, std::int32_t from, std::int32_t to,
             std::uint16_t pushes);
    // Whether the position of key after push is dead (the player on the cell the box left);
    // where it is not, notes whether the table of the positions near the end holds it
    // (meeting_, meetKey_) and puts its player on the lowest cell of its area.
    bool settle(const Push& push, std::uint64_t* key);
    // The position after push, in childKey_ (see settle); false when it is dead.
    bool pushed(const Push& push);
    // A goal move (GoalMacro): the box that left floor cell box for floor cell goal by the
    // pushes of macroSteps_ from begin on.
    struct GoalMove {
        std::int32_t box    = NO_FLOOR;
        std::int32_t goal   = NO_FLOOR;
        std::uint32_t begin = 0;
    };
    // The goal move from the position of entry's key (parentKey_) into move and the position
    // after it into macroKey_ (see settle); false for none or a dead one.
    bool advised(GoalMove& move);
    // Adds the position after move, macroKey_ (see add).
    bool addMacro(std::uint32_t entry, const GoalMove& move);
    void route(std::uint32_t solved, std::vector<SolutionStep>& pushes) const;
    // Appends the pushes from the position of meetKey_ to a solved one, each to a position
    // nearer the end by the table.
    void finishByTable(std::vector<SolutionStep>& pushes);
    std::uint64_t memoryBytes() const;

    const StaticLevel& level_;
    LowerBound& bound_;
    const BoxSubsets& subsets_;
    const LoneBoxes& loneBoxes_;
    const PackingOrder& order_;
    const EndTable& ends_;
    const PullSearch* pull_;
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
    // Whether the position settled last is in the table of the positions near the end, and its
    // key as the table holds it (the player on the cell the box left).
    bool meeting_ = false;
    std::vector<std::uint64_t> meetKey_;
    // The entry of the pull search's position met by the position settled last, or NONE.
    std::uint32_t meetPull_ = PullSearch::NONE;
    GoalMacro macro_;
    // The pushes of the positions reached by a goal macro: per such entry (ascending), where
    // its pushes begin in macroSteps_; they end where the next begin.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> macroEntries_;
    std::vector<SolutionStep> macroSteps_;

    // Working arrays.
    std::vector<Push> generated_;
    std::vector<std::uint64_t> parentKey_;
    std::vector<std::uint64_t> childKey_;
    std::vector<std::uint64_t> macroKey_;
};

} // namespace goalbox

#endif
