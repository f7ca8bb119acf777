// The entry of the search for some route: the level's fixed facts, bounds, dead tests and push
// generator, shared with the exact search, then AnySearch with one setting after another.
#include "solver/any/SolveAny.h"

#include <cstddef>
#include <new>
#include <optional>
#include <utility>

#include "analysis/DeadPosition.h"
#include "solver/SolveControl.h"
#include "solver/any/PackingOrder.h"
#include "solver/any/PullSearch.h"
#include "solver/any/RouteImprover.h"
#include "solver/bounds/BoxSubsets.h"
#include "solver/bounds/EndTable.h"
#include "solver/bounds/LowerBound.h"
#include "solver/dead/LoneBoxes.h"
#include "solver/positions/PushGenerator.h"
#include "solver/positions/StaticLevel.h"

namespace goalbox {

namespace {

// Tables of box sets of at most this many positions are set up before the searches: beside a
// search of millions of positions they take little time.
constexpr std::uint64_t SUBSET_TABLE_LIMIT = 20'000'000;
// Quadruple tables on levels of at most this many box cells in sets of four.
constexpr std::uint64_t QUADRUPLE_TABLE_LIMIT = 1'000'000;

// Before each search after the first, the table of the positions near the end grows until it
// holds this many times the expansions of the searches so far: a position of the table costs a
// tenth to a fortieth of an expansion, and unlike a search's positions it is kept from one search
// to the next. A search that reaches a position within its radius follows it to the end.
constexpr std::uint64_t TABLE_SHARE = 10;

// The pull search's expansions in a round of the schedule; each costs about a sixth of an
// expansion forward.
constexpr std::uint64_t PULL_EXPANSIONS = 2'000'000;

void growTable(EndTable& ends, std::uint64_t positions, std::uint64_t maxBytes,
               SolveControl& control) {
    const SolveProgress progress;
    const auto stop = [&control, &progress] { return control.stopRequested(progress); };
    // grow counts the positions settled; the time goes with all those it holds.
    while (!ends.complete() && ends.size() < positions && !control.stats().aborted) {
        const std::uint64_t settled = ends.settled();
        ends.grow(settled + 4096, maxBytes, stop);
        if (ends.settled() == settled) {
            return; // at its share of the memory
        }
    }
}

// The steps counter after the pushes, each after a shortest walk to its stand cell, from the
// board's position; -1 when a walk or a push is refused or the count passes what the steps
// counter holds.
std::int32_t replayedSteps(Board board, const std::vector<SolutionStep>& pushes) {
    std::int32_t steps = board.steps;
    for (const SolutionStep& push : pushes) {
        board.steps             = 0; // counted here, where it cannot overflow
        const std::int16_t walk = board.jumpTo(push.cell);
        if (walk == -1 || board.move(push.direction) == -1) {
            return -1;
        }
        steps += walk + 1;
        if (steps > INT16_MAX) {
            return -1;
        }
    }
    return board.isSolved() ? steps : -1;
}

void addSubsetTables(BoxSubsets& subsets, const StaticLevel& level) {
    if (subsets.triplesAreWhole()) {
        if (subsets.tableSize(3) <= SUBSET_TABLE_LIMIT) {
            subsets.addTriples();
        }
        return;
    }
    if (subsets.tableSize(2) > SUBSET_TABLE_LIMIT || !subsets.addPairs()) {
        return;
    }
    if (subsets.tableSize(3) <= SUBSET_TABLE_LIMIT && subsets.addTriples() &&
        subsets.tableSize(4) <=
            QUADRUPLE_TABLE_LIMIT * static_cast<std::uint64_t>(level.floorCount)) {
        subsets.addQuadruples();
    }
}

} // namespace

std::vector<AnySettings> anySchedule() {
    // The weight of the pushes made so far decides most (the classic levels at a few seconds
    // each: weight 2 ahead of 1 ahead of 0, and 3 alone behind 2, but ahead in turn with the
    // others); the settings differ enough that one often ends where the others wander. The
    // first also weighs the boxes in the way of the box nearest to a next goal: alone that
    // solves levels whose boxes wall each other in and loses others, so only one setting does.
    std::vector<AnySettings> schedule;
    for (const std::int32_t pathWeight : {3, 2, 1, 0}) {
        AnySettings settings;
        settings.pathWeight     = pathWeight;
        settings.obstacleWeight = pathWeight == 3 ? 30 : 0;
        settings.expansionLimit = 50'000;
        schedule.push_back(settings);
    }
    AnySettings pull;
    pull.pull           = true;
    pull.expansionLimit = PULL_EXPANSIONS;
    schedule.push_back(pull);
    return schedule;
}

std::int32_t solveAnyWith(Board board, std::vector<SolutionStep>& solution,
                          const SolveLimits& limits, SolveStats* stats,
                          const std::vector<AnySettings>& schedule) {
    SolveControl control(limits, stats);
    SolveStats& figures = control.stats();
    if (board.isSolved()) {
        figures.statesStored = 1;
        return board.steps;
    }
    // 1. What every search shares.
    const StaticLevel level(board);
    LowerBound bound(level);
    PushGenerator generator(board, level);
    const std::vector<std::uint64_t> startKey = level.keyOf(board);
    const bool startTrapped                   = isTrapped(board);
    BoxSubsets subsets(level, bound, board.boxCount);
    addSubsetTables(subsets, level);
    const LoneBoxes loneBoxes(level);
    const PackingOrder order(level, startKey.data(), board.boxCount);
    EndTable ends(level, board.boxCount);
    std::optional<PullSearch> pull;
    pull.emplace(level, startKey.data(), control);
    if (!pull->usable()) {
        pull.reset();
    }
    // A route found, shortened and replayed; -1 when it does not replay.
    const auto finish = [&](std::vector<SolutionStep>& route) {
        RouteImprover(level, generator).improve(board, startTrapped, route);
        const std::int32_t steps = replayedSteps(board, route);
        if (steps == -1) {
            return -1;
        }
        solution.insert(solution.end(), route.begin(), route.end());
        figures.solutionPushes = static_cast<std::int32_t>(route.size());
        return steps;
    };

    // 2. Round after round with four times the expansions, each setting in turn, until one finds
    //    a route or shows that there is none, the table growing between them. A round in which a
    //    search forward passes the memory budget is the last; the pull search, past it, is
    //    dropped and the searches forward go on without it.
    std::vector<SolutionStep> pushes;
    bool outOfMemory           = false;
    bool pullOutOfMemory       = false;
    std::uint64_t pullExpanded = 0; // of figures.nodesExpanded, the pull search's
    for (std::uint64_t factor = 1; !outOfMemory; factor *= 4) {
        bool anyLimited = false;
        bool anyRun     = false;
        for (AnySettings settings : schedule) {
            anyLimited              = anyLimited || settings.expansionLimit != 0;
            settings.expansionLimit = settings.expansionLimit * factor;
            if (settings.pull) {
                if (!pull) {
                    continue;
                }
                anyRun                      = true;
                const std::uint64_t before  = figures.nodesExpanded;
                PullSearch::Outcome outcome = PullSearch::GAVE_UP;
                try {
                    outcome = pull->run(settings.expansionLimit,
                                        ends.memoryBytes() + bound.memoryBytes() +
                                            subsets.memoryBytes() + loneBoxes.memoryBytes() +
                                            order.memoryBytes() + generator.memoryBytes(),
                                        pushes);
                } catch (const std::bad_alloc&) {
                    pull.reset(); // the searches forward go on without it
                    pullOutOfMemory = true;
                }
                pullExpanded += figures.nodesExpanded - before;
                if (outcome == PullSearch::NO_ROUTE || outcome == PullSearch::STOPPED) {
                    return -1;
                }
                if (outcome == PullSearch::FOUND) {
                    return finish(pushes);
                }
                continue;
            }
            if (figures.nodesExpanded > pullExpanded) {
                growTable(ends, (figures.nodesExpanded - pullExpanded) * TABLE_SHARE,
                          limits.memoryBudgetBytes / 4, control);
                if (figures.aborted) {
                    return -1;
                }
            }
            anyRun                     = true;
            AnySearch::Outcome outcome = AnySearch::GAVE_UP;
            try {
                AnySearch search(level, bound, subsets, loneBoxes, order, ends,
                                 pull ? &*pull : nullptr, generator, control, settings);
                outcome = search.run(startKey.data(), startTrapped, pushes);
            } catch (const std::bad_alloc&) {
                outOfMemory = true;
                continue;
            }
            if (outcome == AnySearch::NO_ROUTE || outcome == AnySearch::STOPPED) {
                return -1;
            }
            if (outcome == AnySearch::FOUND) {
                return finish(pushes);
            }
        }
        if (!anyRun && pullOutOfMemory) {
            break; // a schedule of the pull search alone, past the budget
        }
        if (!anyLimited || !anyRun) {
            return -1;
        }
    }
    throw std::bad_alloc();
}

std::int32_t solveAny(Board board, std::vector<SolutionStep>& solution, const SolveLimits& limits,
                      SolveStats* stats) {
    return solveAnyWith(std::move(board), solution, limits, stats, anySchedule());
}

} // namespace goalbox
