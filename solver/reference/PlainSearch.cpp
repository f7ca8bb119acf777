// The plain search, the reference of the fast one: passes of depth-first descent over a tree kept
// from pass to pass, each step in the numbered comments below written as plainly as it reads;
// nothing here may be made faster at the price of a changed order.
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

// Copies the primary data between a board and its saved copy, either way.
template <typename From, typename To> void copyPrimary(const From& from, To& to) {
    to.cells      = from.cells;
    to.playerCell = from.playerCell;
    to.height     = from.height;
    to.width      = from.width;
    to.steps      = from.steps;
}

class PlainSearch {
  public:
    PlainSearch(Board& board, const SolveLimits& limits, SolveStats& stats)
        : board_(board), limits_(limits), stats_(stats) {}

    std::int32_t run(std::vector<SolutionStep>& solution);

  private:
    // How a pass ended: the next pass follows, or the search ends with the result.
    enum class PassEnd { NEXT_PASS, SOLVED, STOPPED, EXHAUSTED };

    void beginPass(const SearchTree& tree, std::int32_t limit);
    PassEnd pass(SearchTree& tree, const SearchState& initialState, std::int32_t limit,
                 std::vector<SolutionStep>& solution);
    void rebuildRoute(const SearchTree& tree, std::int32_t k, std::vector<SolutionStep>& solution);
    void restorePrimary();
    void expand(SearchTree& tree, std::int32_t k, std::int32_t p);

    void checkMemory(const SearchTree& tree);

    Board& board_;
    const SolveLimits& limits_;
    SolveStats& stats_;
    PrimaryData saved_;
    WalkScratch walkScratch_;
    // The descent: path_[k] is the index within level k of the node it stands on at depth k,
    // current_ the state of the deepest of them.
    std::vector<std::int32_t> path_;
    SearchState current_;
};

void PlainSearch::restorePrimary() {
    copyPrimary(saved_, board_);
    board_.init();
}

// Every push from node p of level k, whose position the board shows: boxes by ascending cell,
// for each box the directions right, down, up, left.
void PlainSearch::expand(SearchTree& tree, std::int32_t k, std::int32_t p) {
    // 1. Save the primary data.
    copyPrimary(board_, saved_);
    // 2. Each box in each direction.
    for (CellIndex cell = 0; cell < board_.cellCount; ++cell) {
        if (!isBox(board_.cells[static_cast<std::size_t>(cell)])) {
            continue;
        }
        for (std::int32_t d = 0; d < DIR_COUNT; ++d) {
            const auto dir = static_cast<Direction>(d);
            // 2.1 The cell the player pushes from, in 16 bits.
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
            // 2.4 Keep the position after the push unless it is trapped.
            if (!isTrapped(board_)) {
                SearchState s = captureState(board_);
                s.step        = SolutionStep{stand, dir};
                tree.addChild(k, p, s);
            }
            // 2.5 Undo it.
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

void PlainSearch::beginPass(const SearchTree& tree, std::int32_t limit) {
    ++stats_.passes;
    stats_.statesStored = tree.storedCount();
    if (limits_.onProgress) {
        SolveProgress progress;
        progress.bound        = limit;
        progress.statesStored = stats_.statesStored;
        limits_.onProgress(progress);
    }
}

// The route to the solved state current_, entered at depth k, from the entries' current nodes:
// each entry's node and step belong to the cheapest path known to it, so following the parents
// gives one consistent path from the root.
void PlainSearch::rebuildRoute(const SearchTree& tree, std::int32_t k,
                               std::vector<SolutionStep>& solution) {
    std::vector<SolutionStep> reversed;
    if (k > 0) {
        do {
            reversed.push_back(current_.step);
            const SearchNode& node   = tree.nodeAt(current_.level, current_.index);
            const SearchNode& parent = tree.nodeAt(current_.level - 1, node.parent);
            current_                 = tree.entryAt(parent.stateRef);
        } while (current_.level != 0);
    }
    solution.insert(solution.end(), reversed.rbegin(), reversed.rend());
    stats_.solutionPushes = static_cast<std::int32_t>(reversed.size());
}

// One pass: a depth-first descent from the root that enters only positions within limit,
// children in the order they were made, skipping dead ones. It is clean while it has neither
// expanded a node nor cut one at the limit; only a clean pass retires exhausted nodes, and a
// pass that ends clean has shown that no further pass can find a new position. A solved
// position ends the search: its route is appended to solution.
PlainSearch::PassEnd PlainSearch::pass(SearchTree& tree, const SearchState& initialState,
                                       std::int32_t limit, std::vector<SolutionStep>& solution) {
    // 1. Start at the root, whose steps are always within the limit.
    current_ = initialState;
    path_.assign(1, 0);
    bool cleanPass = true;
    std::int32_t k = 0;
    for (;;) {
        // 2. Below the root, on to the next live child of the node at depth k - 1. When it has
        //    none left, back up: at depth 1 the pass is over; deeper, a clean pass retires the
        //    exhausted node, and the descent moves on to its next sibling.
        if (k > 0) {
            const auto depth = static_cast<std::size_t>(k);
            if (path_.size() <= depth) {
                path_.push_back(-1);
            }
            tree.nextChild(k - 1, path_[depth - 1], path_[depth], current_);
            if (path_[depth] == -1) {
                if (k <= 1) {
                    break;
                }
                if (cleanPass) {
                    tree.retireNode(k - 1, path_[depth - 1]);
                }
                --k;
                continue;
            }
        }
        // 3. A node beyond the limit is cut without touching the board; on to its next sibling.
        if (current_.steps > limit) {
            cleanPass = false;
            continue;
        }
        // 4. Enter the node's position; a solved one ends the search.
        board_.restoreSnapshot(current_);
        if (current_.solved) {
            rebuildRoute(tree, k, solution);
            return PassEnd::SOLVED;
        }
        // 5. Expand the node the first time it is entered (the stop request is asked just
        //    before), then descend into its children.
        const std::int32_t p = path_[static_cast<std::size_t>(k)];
        if (!tree.nodeAt(k, p).expanded) {
            if (limits_.shouldStop && limits_.shouldStop()) {
                return PassEnd::STOPPED;
            }
            expand(tree, k, p);
            tree.nodeAt(k, p).expanded = true;
            cleanPass                  = false;
        }
        ++k;
    }
    // 6. The pass went through the whole live tree.
    return cleanPass ? PassEnd::EXHAUSTED : PassEnd::NEXT_PASS;
}

std::int32_t PlainSearch::run(std::vector<SolutionStep>& solution) {
    // The initial state and the tree built from it; then passes with a step limit of the
    // board's steps plus one, plus two, and so on.
    SearchState initialState = captureState(board_);
    SearchTree tree(initialState);
    checkMemory(tree);
    for (std::int32_t limit = board_.steps + 1;; ++limit) {
        beginPass(tree, limit);
        const PassEnd end   = pass(tree, initialState, limit, solution);
        stats_.statesStored = tree.storedCount();
        switch (end) {
        case PassEnd::NEXT_PASS:
            break;
        case PassEnd::SOLVED:
            return board_.steps;
        case PassEnd::STOPPED:
            stats_.aborted = true;
            return -1;
        case PassEnd::EXHAUSTED:
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
