#include "solver/BoundedPasses.h"

#include <algorithm>
#include <cstddef>
#include <new>

namespace goalbox {

namespace {

// pending of a subtree with nothing unexpanded in it.
constexpr std::int32_t NOTHING_PENDING = INT32_MAX;

} // namespace

BoundedPasses::BoundedPasses(const StaticLevel& level, PositionGraph& graph, SearchControl& control,
                             std::int32_t stepBound)
    : level_(level), graph_(graph), control_(control), stepBound_(stepBound) {}

std::uint64_t BoundedPasses::memoryBytes() const {
    return graph_.memoryBytes() + entrySteps_.capacity() * sizeof(std::int16_t) +
           entryNode_.capacity() * sizeof(std::uint32_t) + descent_.capacity() * sizeof(Descent) +
           origin_.capacity() * sizeof(Origin) + frames_.capacity() * sizeof(Frame);
}

std::uint32_t BoundedPasses::newNode(std::uint32_t entry, std::uint32_t parent,
                                     std::int16_t steps) {
    if (descent_.size() >= NONE - 1) {
        throw std::bad_alloc(); // node numbers have run out
    }
    descent_.push_back(Descent{steps, 0, 0}); // unexpanded: pending is itself
    origin_.push_back(Origin{entry, parent, steps});
    return static_cast<std::uint32_t>(descent_.size() - 1);
}

std::int32_t BoundedPasses::leastPendingOfChildren(std::uint32_t n) const {
    const Descent& parent = descent_[n];
    std::int32_t least    = NOTHING_PENDING;
    for (std::uint32_t c = parent.firstChild; c < parent.firstChild + parent.childCount; ++c) {
        least = std::min(least, descent_[c].pending);
    }
    return least;
}

// Retires node n: nothing in its subtree is entered again. Its ancestors' pending may have
// come from n; each one whose pending equals n's is worked out again from its children,
// upwards while it changes. (Nodes of the current descent are worked out again anyway when the
// descent leaves them.)
void BoundedPasses::retire(std::uint32_t n) {
    const std::int32_t gone = descent_[n].pending;
    if (gone == NOTHING_PENDING) {
        return; // already retired, or nothing left in it
    }
    descent_[n].pending = NOTHING_PENDING;
    for (std::uint32_t child = n; child != 0;) {
        const std::uint32_t parent = origin_[child].parent;
        if (descent_[parent].pending != gone) {
            break;
        }
        const std::int32_t least = leastPendingOfChildren(parent);
        if (least == gone) {
            break;
        }
        descent_[parent].pending = least;
        child                    = parent;
    }
}

// A push from node parent reached entry with steps: the tree's addChild, for positions within
// the bound.
void BoundedPasses::addChild(std::uint32_t parent, std::uint32_t entry, std::int16_t steps) {
    std::uint32_t& held = entryNode_[entry];
    if (held != NONE) {
        // A known position: rejected unless this way is cheaper. A cheaper way keeps it within
        // the bound, and its old node is retired in favour of a new one under parent.
        if (steps >= entrySteps_[entry]) {
            return;
        }
        retire(held);
    } else if (steps + graph_.knownEstimate(entry) > stepBound_ ||
               steps + graph_.exactEstimate(entry) > stepBound_) {
        // A new position, left out when even the steps that the estimate says are still
        // needed pass C. The cheap estimate settles most of them before the full one is asked.
        return;
    }
    entrySteps_[entry] = steps;
    held               = newNode(entry, parent, steps);
    ++descent_[parent].childCount;
}

// Hangs the kept pushes of node n under it, in the order of the search procedure.
void BoundedPasses::expand(std::uint32_t n) {
    const PositionGraph::Pushes pushes = graph_.pushesOf(origin_[n].entry);
    entrySteps_.resize(graph_.size(), 0);
    entryNode_.resize(graph_.size(), NONE);
    const std::int16_t steps = origin_[n].steps;
    descent_[n].firstChild   = static_cast<std::uint32_t>(descent_.size());
    descent_[n].childCount   = 0;
    for (std::uint32_t i = 0; i < pushes.size(); ++i) {
        const PositionGraph::Edge push = pushes[i];
        const std::int32_t sum         = steps + push.cost;
        if (push.child != NONE && sum <= INT16_MAX) {
            addChild(n, push.child, static_cast<std::int16_t>(sum));
        }
    }
    SolveStats& stats = control_.stats();
    ++stats.nodesExpanded;
    stats.statesStored = graph_.size();
    stats.pushesTried  = graph_.pushesTried();
    control_.checkMemory(memoryBytes(), graph_.size());
}

// The push that made node n: the player ends on the cell the box left, the box on the one
// cell of the node's boxes that its parent's lacks.
SolutionStep BoundedPasses::pushInto(std::uint32_t n) const {
    const std::uint64_t* after  = graph_.key(origin_[n].entry);
    const std::uint64_t* before = graph_.key(origin_[origin_[n].parent].entry);
    const CellIndex from        = level_.player(after);
    CellIndex to                = from;
    level_.forEachBox(after, [&](std::int32_t floor) {
        if (!level_.hasBox(before, floor)) {
            to = level_.floorCells[static_cast<std::size_t>(floor)];
        }
    });
    // On a board one column wide right and down share an offset; only down is a push there.
    std::int32_t dir = 0;
    while (dir + 1 < DIR_COUNT && (static_cast<CellIndex>(from + level_.dirOffset[dir]) != to ||
                                   !level_.isPushable(from, dir))) {
        ++dir;
    }
    return SolutionStep{static_cast<CellIndex>(from - level_.dirOffset[dir]), dir};
}

// Follows the parents from the solved node to the root and appends the pushes in playing
// order. These are the nodes the descent stands on, whose store entries name them: the same
// chain that the entries' current nodes and steps give.
std::int32_t BoundedPasses::rebuildSolution(std::uint32_t solvedNode,
                                            std::vector<SolutionStep>& solution) const {
    const std::size_t before = solution.size();
    for (std::uint32_t n = solvedNode; n != 0; n = origin_[n].parent) {
        solution.push_back(pushInto(n));
    }
    std::reverse(solution.begin() + static_cast<std::ptrdiff_t>(before), solution.end());
    return origin_[solvedNode].steps;
}

std::int32_t BoundedPasses::run(std::int16_t startSteps, std::vector<SolutionStep>& solution) {
    SolveStats& stats = control_.stats();
    // Setting up: the root stands for entry 0.
    entrySteps_.assign(graph_.size(), 0);
    entryNode_.assign(graph_.size(), NONE);
    entrySteps_[0] = startSteps;
    entryNode_[0]  = newNode(0, 0, startSteps);
    control_.checkMemory(memoryBytes(), graph_.size());

    for (std::int32_t limit = startSteps + 1;; ++limit) {
        // Step 1. A new pass from the root, with a limit one step higher. The root is entered
        //         on every pass; it is not solved, or there would be no search.
        ++stats.passes;
        control_.report(limit);
        bool cleanPass = true;
        if (!rootExpanded_) {
            expand(0);
            rootExpanded_ = true;
            cleanPass     = false;
        }
        frames_.assign(1, Frame{0, 0});
        // Step 2. The descent.
        while (!frames_.empty()) {
            if (control_.stopRequested(limit)) {
                return -1;
            }
            Frame& frame           = frames_.back();
            const Descent& current = descent_[frame.node];
            if (frame.next < current.childCount) {
                // 2.1 The next child of the current node. Nothing within the limit below it
                //     (or a retired child): skip it. The full descent would have cut an
                //     unexpanded node there.
                const std::uint32_t c      = current.firstChild + frame.next++;
                const std::int32_t pending = descent_[c].pending;
                if (pending > limit) {
                    if (pending != NOTHING_PENDING) {
                        cleanPass = false;
                    }
                    continue;
                }
                // 2.2 Enter it. Not expanded yet (no children; an expanded node without
                //     children has nothing pending): if solved, it ends the search, else it is
                //     expanded now.
                if (descent_[c].childCount == 0) {
                    if (graph_.isSolved(origin_[c].entry)) {
                        const std::size_t before  = solution.size();
                        const std::int32_t result = rebuildSolution(c, solution);
                        stats.solutionPushes = static_cast<std::int32_t>(solution.size() - before);
                        return result;
                    }
                    expand(c);
                    cleanPass = false;
                }
                // 2.3 Descend into its children.
                frames_.push_back(Frame{c, 0});
                continue;
            }
            // 2.4 All children seen: what is left below this node. A node with nothing left
            //     is finished for good, as if retired.
            descent_[frame.node].pending = leastPendingOfChildren(frame.node);
            frames_.pop_back();
        }
        // Step 3. A pass that found nothing new: no later pass can either.
        if (cleanPass) {
            return -1;
        }
    }
}

} // namespace goalbox
