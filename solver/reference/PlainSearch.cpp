// The plain search, the reference of the fast one. Its steps follow the search procedure word
// for word; nothing here may be made faster at the price of a changed order.
#include "solver/reference/PlainSearch.h"

#include <cstddef>
#include <new>

#include "analysis/DeadPosition.h"
#include "board/WalkSearch.h"
#include "solver/reference/SearchTree.h"

namespace goalbox::plain {

namespace {

// The primary data of a board: what a trial push changes and what restoring puts back.
struct PrimaryData {
    std::vector<std::uint8_t> cells;
    CellIndex playerCell = 0;
    std::int16_t height  = 0;
    std::int16_t width   = 0;
    std::int16_t steps   = 0;
};

class PlainSearch {
  public:
    PlainSearch(Board& board, const SolveLimits& limits, SolveStats& stats)
        : board_(board), limits_(limits), stats_(stats) {}

    std::int32_t run(std::vector<SolutionStep>& solution);

  private:
    void savePrimary();
    void restorePrimary();
    void expand(SearchTree& tree, std::int32_t k, std::int32_t p);

    void checkMemory(const SearchTree& tree);

    Board& board_;
    const SolveLimits& limits_;
    SolveStats& stats_;
    PrimaryData saved_;
    WalkScratch walkScratch_;
};

void PlainSearch::savePrimary() {
    saved_.cells      = board_.cells;
    saved_.playerCell = board_.playerCell;
    saved_.height     = board_.height;
    saved_.width      = board_.width;
    saved_.steps      = board_.steps;
}

void PlainSearch::restorePrimary() {
    board_.cells      = saved_.cells;
    board_.playerCell = saved_.playerCell;
    board_.height     = saved_.height;
    board_.width      = saved_.width;
    board_.steps      = saved_.steps;
    board_.init();
}

// Every push from node p of level k, whose position the board shows: boxes by ascending cell,
// for each box the directions right, down, up, left.
void PlainSearch::expand(SearchTree& tree, std::int32_t k, std::int32_t p) {
    // 1. Save the primary data.
    savePrimary();
    // 2. Each box in each direction.
    for (CellIndex cell = 0; cell < board_.cellCount; ++cell) {
        if (!isBox(board_.cells[static_cast<std::size_t>(cell)])) {
            continue;
        }
        for (std::int32_t d = 0; d < DIR_COUNT; ++d) {
            const auto dir = static_cast<Direction>(d);
            // 2.1 The stand cell, in 16 bits.
            const auto stand = static_cast<CellIndex>(cell - board_.dirOffset[dir]);
            // 2.2 Walk there.
            if (board_.jumpTo(stand, walkScratch_) == -1) {
                continue;
            }
            // 2.3 Push.
            if (board_.move(dir) == -1) {
                restorePrimary();
                continue;
            }
            ++stats_.pushesTried;
            // 2.4 - 2.5 Keep it unless trapped.
            if (!isTrapped(board_)) {
                SearchState s = captureState(board_);
                s.step        = SolutionStep{stand, dir};
                tree.addChild(k, p, s);
            }
            // 2.6 Undo it.
            restorePrimary();
        }
    }
    ++stats_.nodesExpanded;
    checkMemory(tree);
}

// Records the tree's memory peak and gives up with std::bad_alloc once it passes the budget.
void PlainSearch::checkMemory(const SearchTree& tree) {
    const std::uint64_t bytes = tree.memoryBytes();
    if (bytes > stats_.peakMemoryBytes) {
        stats_.peakMemoryBytes = bytes;
        stats_.peakEntries     = tree.storedCount();
    }
    if (bytes > limits_.memoryBudgetBytes) {
        throw std::bad_alloc();
    }
}

std::int32_t PlainSearch::run(std::vector<SolutionStep>& solution) {
    // Setting up.
    SearchState initialState = captureState(board_);
    SearchTree tree(initialState);
    checkMemory(tree);
    std::int32_t limit = board_.steps;

    SearchState current;
    std::vector<std::int32_t> path;
    for (;;) {
        // Each pass, step 1.
        current = initialState;
        path.assign(1, 0);
        ++limit;
        ++stats_.passes;
        stats_.statesStored = tree.storedCount();
        if (limits_.onProgress) {
            SolveProgress progress;
            progress.bound        = limit;
            progress.statesStored = stats_.statesStored;
            limits_.onProgress(progress);
        }
        bool cleanPass = true;
        std::int32_t k = 0;
        for (;;) {
            // Step 2.1.
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
                    if (cleanPass) {
                        tree.retireNode(k - 1, path[depth - 1]);
                    }
                    --k;
                    continue;
                }
            }
            // Step 2.2.
            if (current.steps > limit) {
                cleanPass = false;
                continue;
            }
            // Step 2.3.
            board_.restoreSnapshot(current);
            // Step 2.4: rebuild the route from the entries' current nodes.
            if (current.solved) {
                stats_.statesStored = tree.storedCount();
                std::vector<SolutionStep> reversed;
                if (k > 0) {
                    do {
                        reversed.push_back(current.step);
                        const SearchNode& node   = tree.nodeAt(current.level, current.index);
                        const SearchNode& parent = tree.nodeAt(current.level - 1, node.parent);
                        current                  = tree.entryAt(parent.stateRef);
                    } while (current.level != 0);
                }
                solution.insert(solution.end(), reversed.rbegin(), reversed.rend());
                stats_.solutionPushes = static_cast<std::int32_t>(reversed.size());
                return board_.steps;
            }
            // Steps 2.5 - 2.6.
            const std::int32_t p = path[static_cast<std::size_t>(k)];
            if (!tree.nodeAt(k, p).expanded) {
                if (limits_.shouldStop && limits_.shouldStop()) {
                    stats_.statesStored = tree.storedCount();
                    stats_.aborted      = true;
                    return -1;
                }
                expand(tree, k, p);
                tree.nodeAt(k, p).expanded = true;
                cleanPass                  = false;
            }
            ++k;
        }
        // Step 3.
        if (cleanPass) {
            stats_.statesStored = tree.storedCount();
            return -1;
        }
    }
}

} // namespace

std::int32_t solve(Board board, std::vector<SolutionStep>& solution, const SolveLimits& limits,
                   SolveStats* stats) {
    SolveStats localStats;
    SolveStats& figures = stats != nullptr ? *stats : localStats;
    figures             = SolveStats{};
    PlainSearch search(board, limits, figures);
    return search.run(solution);
}

SolveLimits expansionCap(std::uint64_t maxExpansions) {
    SolveLimits limits;
    limits.shouldStop = [asked = std::uint64_t{0}, maxExpansions]() mutable {
        return asked++ >= maxExpansions;
    };
    return limits;
}

} // namespace goalbox::plain
