#include "solver/Search.h"

#include <cstddef>
#include <new>
#include <utility>

#include "analysis/DeadPosition.h"
#include "solver/SearchTree.h"

namespace goalbox {

namespace {

std::uint64_t defaultBudget = DEFAULT_MEMORY_BUDGET;

// shouldStop is asked once per this many turns of the descent loop.
constexpr std::uint32_t STOP_CHECK_INTERVAL = 1024;

// The primary data of a board: what a trial push changes and what restoring puts back.
struct PrimaryData {
    std::vector<std::uint8_t> cells;
    CellIndex playerCell = 0;
    std::int16_t height  = 0;
    std::int16_t width   = 0;
    std::int16_t steps   = 0;
};

// The working data of one call of solve.
class Search {
  public:
    Search(Board& board, const SolveLimits& limits, SolveStats& stats)
        : board_(board), limits_(limits), stats_(stats) {}

    std::int32_t run(std::vector<SolutionStep>& solution);

  private:
    void savePrimary();
    void restorePrimary();
    void expand(SearchTree& tree, std::int32_t k, std::int32_t p);
    void checkMemory(const SearchTree& tree);
    bool stopRequested();
    void reportProgress() const;
    std::int32_t rebuildSolution(const SearchTree& tree, SearchState current, std::int32_t k,
                                 std::vector<SolutionStep>& solution) const;

    Board& board_;
    const SolveLimits& limits_;
    SolveStats& stats_;
    PrimaryData saved_;
    SearchState scratch_; // the state of each trial push, reused
    std::uint32_t turnsUntilStopCheck_ = STOP_CHECK_INTERVAL;
    std::int32_t limit_                = 0; // the step limit of the current pass
};

void Search::savePrimary() {
    saved_.cells      = board_.cells;
    saved_.playerCell = board_.playerCell;
    saved_.height     = board_.height;
    saved_.width      = board_.width;
    saved_.steps      = board_.steps;
}

void Search::restorePrimary() {
    board_.cells      = saved_.cells;
    board_.playerCell = saved_.playerCell;
    board_.height     = saved_.height;
    board_.width      = saved_.width;
    board_.steps      = saved_.steps;
    board_.init();
}

void Search::checkMemory(const SearchTree& tree) {
    const std::uint64_t used = tree.memoryBytes();
    if (used > stats_.peakMemoryBytes) {
        stats_.peakMemoryBytes = used;
    }
    if (used > limits_.memoryBudgetBytes) {
        // Unwinding releases the tree and the board copy; the caller's array is untouched.
        throw std::bad_alloc();
    }
}

bool Search::stopRequested() {
    if (!limits_.shouldStop && !limits_.onProgress) {
        return false;
    }
    if (--turnsUntilStopCheck_ != 0) {
        return false;
    }
    turnsUntilStopCheck_ = STOP_CHECK_INTERVAL;
    reportProgress();
    return limits_.shouldStop && limits_.shouldStop();
}

void Search::reportProgress() const {
    if (limits_.onProgress) {
        limits_.onProgress(limit_, stats_.statesStored);
    }
}

// Generates every push from the node p of level k, whose position the board shows: boxes by
// ascending cell, for each box the directions right, down, up, left. This order decides which
// of several equal solutions is found and the node counts, so it stays fixed.
void Search::expand(SearchTree& tree, std::int32_t k, std::int32_t p) {
    // 1. Save the primary data; every trial push is undone by copying it back.
    savePrimary();
    // 2. Try each box in each direction.
    for (std::int32_t cell = 0; cell < board_.cellCount; ++cell) {
        if (!isBox(board_.cells[static_cast<std::size_t>(cell)])) {
            continue;
        }
        for (std::int32_t d = 0; d < DIR_COUNT; ++d) {
            const auto dir = static_cast<Direction>(d);
            // 2.1 The cell the player pushes from, computed in 16 bits.
            const auto stand = static_cast<CellIndex>(cell - board_.dirOffset[dir]);
            // 2.2 Walk there; an unreachable stand cell leaves the board unchanged.
            if (board_.jumpTo(stand) == -1) {
                continue;
            }
            // 2.3 Push; move also refuses a stand cell that wrapped around a row end.
            if (board_.move(dir) == -1) {
                restorePrimary();
                continue;
            }
            ++stats_.pushesTried;
            // 2.4 Positions with a dead pattern are never stored.
            if (!isTrapped(board_)) {
                // 2.5 Keep the push.
                captureStateInto(board_, scratch_);
                scratch_.step = SolutionStep{stand, dir};
                tree.addChild(k, p, scratch_);
            }
            // 2.6 Undo it.
            restorePrimary();
        }
    }
    ++stats_.nodesExpanded;
}

// Follows each entry's current node and its step from the solved state back to the root and
// appends the pushes to solution in playing order. Returns the solved position's steps.
std::int32_t Search::rebuildSolution(const SearchTree& tree, SearchState current, std::int32_t k,
                                     std::vector<SolutionStep>& solution) const {
    std::vector<SolutionStep> reversed;
    if (k > 0) {
        do {
            reversed.push_back(current.step);
            const SearchNode& node   = tree.nodeAt(current.level, current.index);
            const SearchNode& parent = tree.nodeAt(current.level - 1, node.parent);
            current                  = tree.entryAt(parent.stateRef);
        } while (current.level != 0);
    }
    solution.reserve(solution.size() + reversed.size());
    solution.insert(solution.end(), reversed.rbegin(), reversed.rend());
    return board_.steps;
}

std::int32_t Search::run(std::vector<SolutionStep>& solution) {
    // Setting up: the initial state, the tree built from it, the first limit.
    SearchState initialState = captureState(board_);
    SearchTree tree(initialState);
    checkMemory(tree);
    std::int32_t limit = board_.steps;

    SearchState current;
    std::vector<std::int32_t> path;
    for (;;) {
        // Step 1. A new pass from the root, with a limit one step higher.
        current = initialState;
        path.assign(1, 0);
        ++limit;
        bool cleanPass = true;
        std::int32_t k = 0;
        ++stats_.passes;
        limit_ = limit;
        reportProgress();

        for (;;) {
            if (stopRequested()) {
                stats_.aborted = true;
                return -1;
            }
            // Step 2.1. Below the root: move on to the next live child at depth k.
            if (k > 0) {
                const auto depth = static_cast<std::size_t>(k);
                if (path.size() <= depth) {
                    path.push_back(-1);
                }
                tree.nextChild(k - 1, path[depth - 1], path[depth], current);
                if (path[depth] == -1) {
                    if (k <= 1) {
                        break;
                    }
                    // Everything below this node has been entered within the limit and
                    // expanded, with nothing cut: it can give nothing new.
                    if (cleanPass) {
                        tree.retireNode(k - 1, path[depth - 1]);
                    }
                    --k;
                    continue;
                }
            }
            // Step 2.2. Beyond the limit: cut, without touching the board.
            if (current.steps > limit) {
                cleanPass = false;
                continue;
            }
            // Step 2.3. Enter the node.
            board_.restoreSnapshot(current);
            // Step 2.4. Solved: the first solved node entered ends the search.
            if (current.solved) {
                const std::size_t before  = solution.size();
                const std::int32_t result = rebuildSolution(tree, current, k, solution);
                stats_.solutionPushes     = static_cast<std::int32_t>(solution.size() - before);
                stats_.statesStored       = tree.storedCount();
                return result;
            }
            // Step 2.5. Already expanded: descend into its children.
            const std::int32_t p = path[static_cast<std::size_t>(k)];
            if (!tree.nodeAt(k, p).expanded) {
                // Step 2.6. Expand it.
                expand(tree, k, p);
                tree.nodeAt(k, p).expanded = true;
                cleanPass                  = false;
                stats_.statesStored        = tree.storedCount();
                checkMemory(tree);
            }
            ++k;
        }
        // Step 3. A pass that found nothing new: no later pass can either.
        if (cleanPass) {
            return -1;
        }
    }
}

} // namespace

void setDefaultMemoryBudget(std::uint64_t bytes) {
    defaultBudget = bytes;
}

std::uint64_t defaultMemoryBudget() {
    return defaultBudget;
}

std::int32_t solve(Board board, std::vector<SolutionStep>& solution) {
    return solve(std::move(board), solution, SolveLimits{}, nullptr);
}

std::int32_t solve(Board board, std::vector<SolutionStep>& solution, const SolveLimits& limits,
                   SolveStats* stats) {
    SolveStats localStats;
    SolveStats& figures = stats != nullptr ? *stats : localStats;
    figures             = SolveStats{};
    Search search(board, limits, figures);
    return search.run(solution);
}

} // namespace goalbox
