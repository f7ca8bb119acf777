#include "solver/GuidedSearch.h"

#include <algorithm>
#include <cstddef>

namespace goalbox {

GuidedSearch::GuidedSearch(PositionGraph& graph, SearchControl& control)
    : graph_(graph), control_(control) {}

void GuidedSearch::queue(std::uint32_t entry, std::int32_t f) {
    const auto at = static_cast<std::size_t>(f);
    if (open_.size() <= at) {
        openBytes_ += (at + 1 - open_.size()) * sizeof(std::vector<std::uint32_t>);
        open_.resize(at + 1);
    }
    std::vector<std::uint32_t>& stack = open_[at];
    const std::size_t before          = stack.capacity();
    stack.push_back(entry);
    openBytes_ += (stack.capacity() - before) * sizeof(std::uint32_t);
}

void GuidedSearch::growToGraph() {
    steps_.resize(graph_.size(), UNREACHED);
    closed_.resize(graph_.size(), 0);
}

std::uint64_t GuidedSearch::memoryBytes() const {
    return steps_.capacity() * sizeof(std::int16_t) + closed_.capacity() + openBytes_;
}

std::int32_t GuidedSearch::run(std::int16_t startSteps) {
    SolveStats& stats = control_.stats();
    // 1. The start position.
    const std::int32_t startEstimate = graph_.exactEstimate(0);
    if (startEstimate == LowerBound::DEAD) {
        return -1;
    }
    growToGraph();
    steps_[0]         = startSteps;
    std::size_t least = static_cast<std::size_t>(startSteps + startEstimate);
    queue(0, static_cast<std::int32_t>(least));
    control_.checkMemory(graph_.memoryBytes() + memoryBytes(), graph_.size());

    for (;;) {
        // 2. The queued entry with the least steps + estimate, the last queued among equals.
        while (least < open_.size() && open_[least].empty()) {
            openBytes_ -= open_[least].capacity() * sizeof(std::uint32_t);
            std::vector<std::uint32_t>().swap(open_[least]);
            ++least;
        }
        if (least >= open_.size()) {
            return -1; // every position that could still lead to a solution has been expanded
        }
        const auto f = static_cast<std::int32_t>(least);
        if (control_.stopRequested(f)) {
            return -1;
        }
        const std::uint32_t entry = open_[least].back();
        open_[least].pop_back();
        // 3. Skip a place left behind by a later queueing and a position already expanded.
        if (closed_[entry] != 0 || steps_[entry] + graph_.knownEstimate(entry) != f) {
            continue;
        }
        // 4. An entry queued by its cheap estimate gets the full one first; if that is
        //    larger, it goes back into the queue at its true place.
        if (!graph_.isEstimateExact(entry)) {
            const std::int32_t full = graph_.exactEstimate(entry);
            if (full == LowerBound::DEAD) {
                closed_[entry] = 1;
                continue;
            }
            if (steps_[entry] + full != f) {
                queue(entry, steps_[entry] + full);
                continue;
            }
        }
        // 5. The first solved position taken has the fewest steps of all.
        if (graph_.isSolved(entry)) {
            return steps_[entry];
        }
        // 6. Expand it.
        closed_[entry]                     = 1;
        const std::int16_t parentSteps     = steps_[entry];
        const PositionGraph::Pushes pushes = graph_.pushesOf(entry);
        growToGraph();
        ++stats.guidedExpanded;
        ++stats.nodesExpanded;
        for (std::uint32_t i = 0; i < pushes.size(); ++i) {
            const PositionGraph::Edge push = pushes[i];
            const std::int32_t childSteps  = parentSteps + push.cost;
            if (push.child == PositionGraph::NONE || childSteps > INT16_MAX ||
                closed_[push.child] != 0 || childSteps >= steps_[push.child]) {
                continue; // hopeless, beyond the step counter, or no cheaper than known
            }
            // 6.1 A solved position at the least sum cannot be beaten: every queued position
            //     has at least this sum, and the sum never exceeds the steps of a solution.
            if (graph_.isSolved(push.child) && childSteps == f) {
                return childSteps;
            }
            // 6.2 Queue it at its (new) sum, unless its full estimate has found it hopeless.
            const std::int32_t estimate = graph_.knownEstimate(push.child);
            if (estimate == LowerBound::DEAD) {
                continue;
            }
            steps_[push.child]     = static_cast<std::int16_t>(childSteps);
            const std::int32_t sum = childSteps + estimate;
            queue(push.child, sum);
            least = std::min(least, static_cast<std::size_t>(sum));
        }
        stats.guidedStored = graph_.size();
        stats.pushesTried  = graph_.pushesTried();
        stats.statesStored = graph_.size();
        control_.checkMemory(graph_.memoryBytes() + memoryBytes(), graph_.size());
    }
}

} // namespace goalbox
