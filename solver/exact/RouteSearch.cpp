#include "solver/exact/RouteSearch.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <new>

#include "solver/positions/CountedBuckets.h"
#include "solver/positions/GentleGrowth.h"

namespace goalbox {
namespace {

constexpr std::uint8_t SOLVED       = 1; // every box on a goal
constexpr std::uint8_t EXACT        = 2; // the estimate is the full one, not the cheap one
constexpr std::uint8_t CLOSED       = 4; // expanded, or found hopeless: never queued again
constexpr std::uint8_t LOOKED_AHEAD = 8; // the estimate includes the look ahead over its pushes

// BOUND_DEAD as an entry keeps it, in 16 bits.
constexpr std::int16_t STORED_DEAD = INT16_MAX;

// An estimate as an entry keeps it. BOUND_DEAD and every estimate that does not fit in 16 bits
// (a position that needs more steps than the step counter holds, which is as hopeless) are kept
// as STORED_DEAD, which reads back as BOUND_DEAD.
std::int16_t storedEstimate(std::int32_t estimate) {
    return estimate >= STORED_DEAD ? STORED_DEAD : static_cast<std::int16_t>(estimate);
}

// The number of boxes of key that stand off a goal.
std::int32_t offGoalCount(const StaticLevel& level, const std::uint64_t* key) {
    std::int32_t count = 0;
    level.forEachBox(key, [&](std::int32_t floor) { count += level.isGoalFloor(floor) ? 0 : 1; });
    return count;
}

} // namespace

RouteSearch::RouteSearch(const StaticLevel& level, LowerBound& bound, PushGenerator& generator,
                         SolveControl& control, const SearchTuning& tuning)
    : level_(level), bound_(bound), generator_(generator), control_(control), tuning_(tuning),
      frozenBoxes_(level, bound), subsets_(level, bound, generator.board().boxCount),
      useAssignment_(!subsets_.canAddTriples()), store_(level.keyWords),
      ends_(level, generator.board().boxCount), endsAt_(tuning.endTableAfter),
      parentKey_(static_cast<std::size_t>(level.keyWords)) {
    // On a small level the tables cost less than a few expansions: they come at once. A level
    // of three boxes needs only its triples.
    if (subsets_.triplesAreWhole() && subsets_.tableSize(3) <= tuning_.smallTable) {
        subsets_.addTriples();
    } else if (subsets_.tableSize(2) <= tuning_.smallTable) {
        subsets_.addPairs();
        if (subsets_.tableSize(3) <= tuning_.smallTable) {
            subsets_.addTriples();
        }
    }
}

std::uint32_t RouteSearch::addEntry(const std::uint64_t* key, std::uint64_t hash,
                                    std::int16_t steps, std::uint32_t parent, bool solved,
                                    std::int32_t estimate, bool exact) {
    const std::uint32_t entry = store_.insert(key, hash);
    growGently(steps_);
    growGently(estimate_);
    growGently(flags_);
    growGently(parent_);
    steps_.push_back(steps);
    estimate_.push_back(storedEstimate(estimate));
    // A solved position needs no more steps, which is exact.
    flags_.push_back(
        static_cast<std::uint8_t>((solved ? SOLVED | EXACT : 0) | (exact ? EXACT : 0)));
    parent_.push_back(parent);
    return entry;
}

std::int32_t RouteSearch::knownEstimate(std::uint32_t entry) const {
    const std::int16_t estimate = estimate_[entry];
    return estimate == STORED_DEAD ? BOUND_DEAD : estimate;
}

std::int32_t RouteSearch::exactEstimate(std::uint32_t entry) {
    if ((flags_[entry] & EXACT) == 0) {
        const std::uint64_t* key = store_.key(entry);
        const std::int32_t sets  = subsets_.bound(key, level_.playerFloor(key));
        const std::int32_t boxes = useAssignment_ ? bound_.estimate(key) : bound_.nearestSum(key);
        const std::int32_t ends  = ends_.bound(key);
        estimate_[entry]         = storedEstimate(std::max({boxes, sets, ends}));
        flags_[entry] |= EXACT;
    }
    return knownEstimate(entry);
}

// Queues entry at its sum as it stands. With the full estimate, which is consistent, that sum
// is never below the current layer's; with the cheap one it may be, and the entry then goes
// into the current layer, where it gets the full estimate before anything else.
void RouteSearch::queue(std::uint32_t entry) {
    const std::int32_t steps = steps_[entry];
    const std::int32_t sum   = steps + knownEstimate(entry);
    if (sum <= layerSum_) {
        pushCounted(layer_[static_cast<std::size_t>(steps)], entry, queueBytes_);
        if ((flags_[entry] & SOLVED) != 0 && !boundReached_) {
            boundReached_ = true; // a solution with the fewest steps there can be
            control_.report(progress(0));
        }
        return;
    }
    const auto at = static_cast<std::size_t>(sum);
    reachCounted(later_, at, queueBytes_);
    pushCounted(later_[at], entry, queueBytes_);
}

SolveProgress RouteSearch::progress(std::int32_t steps) const {
    SolveProgress now;
    now.bound        = layerSum_;
    now.boundReached = boundReached_;
    now.done         = boundReached_ ? steps : 0;
    return now;
}

// Makes the least later sum the current layer, its entries sorted by steps. False when
// nothing is queued.
bool RouteSearch::openNextLayer() {
    std::size_t sum = static_cast<std::size_t>(layerSum_ + 1);
    while (sum < later_.size() && later_[sum].empty()) {
        ++sum;
    }
    if (sum >= later_.size()) {
        return false;
    }
    layerSum_ = static_cast<std::int32_t>(sum);
    reachCounted(layer_, sum, queueBytes_);
    for (const std::uint32_t entry : later_[sum]) {
        if ((flags_[entry] & CLOSED) == 0 && steps_[entry] + knownEstimate(entry) == layerSum_) {
            pushCounted(layer_[static_cast<std::size_t>(steps_[entry])], entry, queueBytes_);
            boundReached_ = boundReached_ || (flags_[entry] & SOLVED) != 0;
        }
    }
    releaseCounted(later_[sum], queueBytes_);
    return true;
}

// The push that made entry from its parent.
SolutionStep RouteSearch::pushInto(std::uint32_t entry) const {
    return level_.pushBetween(store_.key(parent_[entry]), store_.key(entry));
}

// The place of the push that made entry among its parent's pushes: boxes by ascending cell,
// for each the directions in order.
std::uint32_t RouteSearch::pushRank(std::uint32_t entry) const {
    const SolutionStep step = pushInto(entry);
    const auto box          = static_cast<CellIndex>(step.cell + level_.dirOffset[step.direction]);
    return static_cast<std::uint32_t>(static_cast<std::uint16_t>(box)) * DIR_COUNT +
           static_cast<std::uint32_t>(step.direction);
}

// True when expanded entry a comes before expanded entry b in the order of the passes: fewer
// steps, or equal steps and a smaller path of child ranks from the start. With equal steps
// neither is an ancestor of the other; each walks up while it has at least the other's steps
// (steps fall along every parent link), until both stand on the common ancestor, and the
// ranks of the two children of that ancestor decide.
bool RouteSearch::precedes(std::uint32_t a, std::uint32_t b) const {
    if (steps_[a] != steps_[b]) {
        return steps_[a] < steps_[b];
    }
    std::uint32_t childA = a;
    std::uint32_t childB = b;
    while (a != b) {
        if (steps_[a] >= steps_[b]) {
            childA = a;
            a      = parent_[a];
        } else {
            childB = b;
            b      = parent_[b];
        }
    }
    return pushRank(childA) < pushRank(childB);
}

// Fills the working arrays of an expansion with the pushes of entry and the positions after
// them; the slot of each in the store is fetched meanwhile.
void RouteSearch::makeChildren(std::uint32_t entry, bool trapped) {
    const std::uint64_t* stored = store_.key(entry);
    std::copy(stored, stored + level_.keyWords, parentKey_.begin());
    generator_.setPosition(parentKey_.data());
    generator_.generate(trapped, pushes_);
    const std::size_t count = pushes_.size();
    const auto words        = static_cast<std::size_t>(level_.keyWords);
    childKeys_.resize(count * words);
    childHashes_.resize(count);
    childEstimates_.resize(count);
    childEntries_.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        std::uint64_t* child = &childKeys_[i * words];
        std::copy(parentKey_.begin(), parentKey_.end(), child);
        level_.applyPush(child, pushes_[i].from, pushes_[i].to);
        childHashes_[i] = PositionStore::hashOf(child, level_.keyWords);
        store_.prefetch(childHashes_[i]);
    }
}

// A lower bound on the estimate after each push of entry: the nearest-goal sum (the moved box's
// share changes), and what consistency leaves of the entry's bounds (the assignment drops by at
// most one per push, the full estimate by at most the push's cost); BOUND_DEAD for a position
// that cannot be solved. Returns the least push cost plus that bound, BOUND_DEAD when every
// push leads to a dead position.
std::int32_t RouteSearch::estimateChildren(std::uint32_t entry) {
    const std::int32_t parentBound =
        useAssignment_ ? bound_.remembered(parentKey_.data()) : BOUND_DEAD;
    const std::int32_t parentEstimate = knownEstimate(entry);
    const std::int32_t parentNearest  = bound_.nearestSum(parentKey_.data());
    const std::int32_t offGoal        = offGoalCount(level_, parentKey_.data());
    const bool hasBoxes               = generator_.board().boxCount != 0;
    const auto words                  = static_cast<std::size_t>(level_.keyWords);
    std::int32_t ahead                = BOUND_DEAD;
    for (std::size_t i = 0; i < pushes_.size(); ++i) {
        const Push& push            = pushes_[i];
        const std::int32_t from     = level_.floorIndex[static_cast<std::size_t>(push.from)];
        const std::int32_t to       = level_.floorIndex[static_cast<std::size_t>(push.to)];
        const std::int32_t arriving = bound_.nearestPushes(to);
        const std::int32_t childOffGoal =
            offGoal - (level_.goal[static_cast<std::size_t>(push.from)] == 0 ? 1 : 0) +
            (level_.goal[static_cast<std::size_t>(push.to)] == 0 ? 1 : 0);
        const std::uint64_t* key = &childKeys_[i * words];
        const bool solved        = hasBoxes && childOffGoal == 0;
        std::int32_t estimate    = 0;
        if (!solved) {
            estimate =
                arriving == BOUND_DEAD || frozenBoxes_.isFrozenOffGoal(key, push.to) ||
                        subsets_.isDeadAfterPush(key, to, from)
                    ? BOUND_DEAD
                    : std::max({parentNearest - bound_.nearestPushes(from) + arriving,
                                useAssignment_ ? parentBound - 1 : 0, parentEstimate - push.cost});
        }
        // Only a solved position has its full estimate at once; the others get it when they
        // come up.
        childEstimates_[i] = ChildEstimate{estimate, solved, solved};
        if (estimate != BOUND_DEAD) {
            ahead = std::min(ahead, push.cost + estimate);
        }
    }
    return ahead;
}

// Each child of entry: a cheaper way to a known position makes entry its parent, an equal way
// does when entry comes first; a new position is stored unless it cannot be solved.
void RouteSearch::adoptChildren(std::uint32_t entry) {
    const std::size_t count = pushes_.size();
    const auto words        = static_cast<std::size_t>(level_.keyWords);
    for (std::size_t i = 0; i < count; ++i) {
        childEntries_[i] = store_.find(&childKeys_[i * words], childHashes_[i]);
    }
    const std::int32_t steps = steps_[entry];
    for (std::size_t i = 0; i < count; ++i) {
        const std::int32_t reachable = steps + pushes_[i].cost;
        const ChildEstimate estimate = childEstimates_[i];
        if (reachable > INT16_MAX || estimate.value == BOUND_DEAD) {
            continue; // beyond the step counter, or cannot be solved
        }
        const auto childSteps = static_cast<std::int16_t>(reachable);
        const std::uint32_t c = childEntries_[i];
        if (c != NONE) {
            if ((flags_[c] & CLOSED) != 0) {
                continue; // expanded with fewer steps already, or hopeless
            }
            if (childSteps < steps_[c]) {
                steps_[c]  = childSteps;
                parent_[c] = entry;
                queue(c);
            } else if (childSteps == steps_[c] && precedes(entry, parent_[c])) {
                parent_[c] = entry;
            }
            continue;
        }
        queue(addEntry(&childKeys_[i * words], childHashes_[i], childSteps, entry, estimate.solved,
                       estimate.value, estimate.exact));
    }
}

void RouteSearch::expand(std::uint32_t entry, bool trapped) {
    // 1. The pushes of the position and the positions after them.
    makeChildren(entry, trapped);
    // 2. A lower bound on the estimate of each.
    const std::int32_t ahead = estimateChildren(entry);
    // 3. Look ahead once: the steps still needed are at least those of the cheapest push plus
    //    what is still needed after it. That bound is consistent too; when it puts the entry
    //    beyond the current layer, the entry waits for its layer there.
    if ((flags_[entry] & LOOKED_AHEAD) == 0) {
        flags_[entry] |= LOOKED_AHEAD;
        if (ahead == BOUND_DEAD) {
            // No push leads to a position that can be solved: expanded, without children.
            flags_[entry] |= CLOSED;
            countExpansion();
            return;
        }
        if (ahead > knownEstimate(entry)) {
            estimate_[entry] = storedEstimate(ahead);
            if (steps_[entry] + knownEstimate(entry) > layerSum_) {
                queue(entry);
                return;
            }
        }
    }
    // 4. The children into the store and the queue.
    adoptChildren(entry);
    flags_[entry] |= CLOSED;
    countExpansion();
}

// Counts an expansion. A search that has grown gets the tables of box sets, which take
// longer to set up than most small searches take.
void RouteSearch::countExpansion() {
    SolveStats& stats = control_.stats();
    ++stats.nodesExpanded;
    stats.statesStored = store_.size();
    stats.pushesTried  = generator_.pushesTried();
    if (stats.nodesExpanded == tuning_.pairsAfter && subsets_.addPairs()) {
        reviewUnexpanded(NewTable::BOUND_AND_DEAD_SETS);
    }
    if (stats.nodesExpanded == tuning_.triplesAfter && subsets_.addTriples()) {
        reviewUnexpanded(NewTable::BOUND_AND_DEAD_SETS);
    }
    if (stats.nodesExpanded == tuning_.quadruplesAfter && subsets_.addQuadruples()) {
        reviewUnexpanded(NewTable::DEAD_SETS);
    }
    if (stats.nodesExpanded == endsAt_) {
        growEnds();
    }
    control_.checkMemory(memoryBytes(), store_.size() + ends_.size());
}

// The first solved position has come up with the fewest steps C: every solved position with C
// steps is in the current layer with its final parent. The first of them in the passes' order
// gives the route.
std::int32_t RouteSearch::finish(std::uint32_t solved, std::vector<SolutionStep>& solution) {
    const std::int16_t best = steps_[solved];
    std::uint32_t first     = solved;
    for (const std::uint32_t entry : layer_[static_cast<std::size_t>(best)]) {
        if ((flags_[entry] & SOLVED) != 0 && steps_[entry] == best && entry != first &&
            precedes(entry, first)) {
            first = entry;
        }
    }
    const std::size_t before = solution.size();
    for (std::uint32_t entry = first; parent_[entry] != NONE; entry = parent_[entry]) {
        solution.push_back(pushInto(entry));
    }
    std::reverse(solution.begin() + static_cast<std::ptrdiff_t>(before), solution.end());
    control_.stats().solutionPushes = static_cast<std::int32_t>(solution.size() - before);
    control_.stats().stepBound      = best;
    return best;
}

// After a table was added in the middle of the search, the positions stored but not expanded
// yet. Dead sets: those positions were tested without the table, and a push tests only the
// sets that hold the pushed box (the others cannot change), so each is tested in full once. A
// bound, which stays consistent: those positions are estimated afresh when they come up, so
// that every position still to come is ordered by the same bound (the ones expanded already
// came first under the smaller one, as they would have under the larger).
void RouteSearch::reviewUnexpanded(NewTable table) {
    const bool bound    = table != NewTable::DEAD_SETS;
    const bool deadSets = table != NewTable::BOUND;
    for (std::uint32_t entry = 0; entry < store_.size(); ++entry) {
        std::uint8_t& flags = flags_[entry];
        if ((flags & (CLOSED | SOLVED)) != 0) {
            continue;
        }
        if (bound) {
            flags = static_cast<std::uint8_t>(flags & ~(EXACT | LOOKED_AHEAD));
        }
        if (deadSets && subsets_.isDead(store_.key(entry), level_.playerFloor(store_.key(entry)))) {
            flags |= CLOSED;
        }
    }
}

// Grows the table of the positions near the end to as many positions as the search has
// expanded, within a quarter of the memory budget. The bound it adds stays consistent, so the
// positions not expanded yet are estimated afresh when they come up, as after a table of box sets.
void RouteSearch::growEnds() {
    const std::uint64_t expanded = control_.stats().nodesExpanded;
    endsAt_                      = expanded * 4;
    if (ends_.grow(expanded, control_.limits().memoryBudgetBytes / 4,
                   [this] { return control_.stopRequested(progress(layerSteps_)); })) {
        reviewUnexpanded(NewTable::BOUND);
    }
}

std::int32_t RouteSearch::run(const std::uint64_t* startKey, bool startTrapped,
                              std::int16_t startSteps, std::vector<SolutionStep>& solution) {
    SolveStats& stats = control_.stats();
    // 1. The start, with its full estimate: it decides whether there is anything to search.
    const std::uint32_t start = addEntry(startKey, PositionStore::hashOf(startKey, level_.keyWords),
                                         startSteps, NONE, false, 0, false);
    stats.statesStored        = store_.size();
    control_.checkMemory(memoryBytes(), store_.size() + ends_.size());
    if (exactEstimate(start) == BOUND_DEAD ||
        subsets_.isDead(startKey, level_.playerFloor(startKey))) {
        return -1;
    }
    queue(start);

    // 2. Layer after layer of equal steps + estimate, each by ascending steps.
    while (openNextLayer()) {
        ++stats.passes;
        control_.report(progress(0));
        for (std::size_t steps = 0; steps < layer_.size(); ++steps) {
            std::vector<std::uint32_t>& stack = layer_[steps];
            while (!stack.empty()) {
                if (control_.stopRequested(progress(static_cast<std::int32_t>(steps))) ||
                    stats.aborted) {
                    return -1;
                }
                const std::uint32_t entry = stack.back();
                stack.pop_back();
                layerSteps_ = static_cast<std::int32_t>(steps);
                // 2.1 Skip a place left behind by a later queueing, or a closed entry.
                if ((flags_[entry] & CLOSED) != 0 ||
                    static_cast<std::size_t>(steps_[entry]) != steps) {
                    continue;
                }
                // 2.2 An entry queued by its cheap estimate gets the full one first; if that
                //     is larger, it goes back into the queue at its true place.
                if ((flags_[entry] & EXACT) == 0) {
                    if (exactEstimate(entry) == BOUND_DEAD) {
                        flags_[entry] |= CLOSED;
                        continue;
                    }
                    if (steps_[entry] + knownEstimate(entry) > layerSum_) {
                        queue(entry);
                        continue;
                    }
                } else if (steps_[entry] + knownEstimate(entry) != layerSum_) {
                    continue;
                }
                // 2.3 The first solved position has the fewest steps of all.
                if ((flags_[entry] & SOLVED) != 0) {
                    return finish(entry, solution);
                }
                // 2.4 Expand it.
                expand(entry, startTrapped && entry == start);
            }
            releaseCounted(stack, queueBytes_);
        }
    }
    return -1; // every position that could still lead to a solution has been expanded
}

std::uint64_t RouteSearch::memoryBytes() const {
    return store_.memoryBytes() + steps_.capacity() * sizeof(std::int16_t) +
           estimate_.capacity() * sizeof(std::int16_t) + flags_.capacity() +
           parent_.capacity() * sizeof(std::uint32_t) + queueBytes_ + generator_.memoryBytes() +
           subsets_.memoryBytes() + bound_.memoryBytes() + ends_.memoryBytes();
}

} // namespace goalbox
