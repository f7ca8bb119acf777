// The walk path finder: a breadth-first search over enterable cells from the player's cell.
//
// The order is fixed: cells leave the queue in the order they entered it, the directions are
// tried right, down, up, left, and every cell keeps the direction by which it was first reached.
// That order decides which of several shortest walks is delivered, and the node counts of the
// plain search rest on it.
//
// The plain search calls jumpTo up to four times per box of every position it expands, so a
// search allocates nothing once the caller's scratch has grown to the board: the per-cell
// records carry a generation stamp instead of being reset, and the queue is a fixed array with a
// head and a tail. The steps between cells are those of the board's neighbour table.
#include "board/WalkSearch.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "board/Board.h"

namespace goalbox {

namespace {

using Record = WalkScratch::Record;

// Makes room for cellCount cells and returns the stamp of a new search; on wrap-around every
// mark is cleared and counting starts at 1, since 0 is the stamp of a cleared record.
WalkStamp startSearch(WalkScratch& scratch, int cellCount) {
    const auto count = static_cast<std::size_t>(std::max(cellCount, 0));
    if (scratch.records.size() < count) {
        scratch.records.resize(count);
        // Every cell enters the queue at most once, so cellCount slots are enough.
        scratch.queue.resize(count);
    }
    if (++scratch.stamp == 0) {
        for (Record& record : scratch.records) {
            record.stamp = 0;
        }
        scratch.stamp = 1;
    }
    return scratch.stamp;
}

// Breadth-first search from the player's cell, which is on the grid, until target is met
// (NO_CELL: through every cell a walk reaches). A target must be on the grid, enterable and not
// the player's cell. Returns the target's distance, or -1 when no walk reaches it. The records
// of this search (stamp scratch.stamp) stay behind for the path rebuild and for distance().
std::int16_t search(const Board& board, CellIndex target, WalkScratch& scratch) {
    assert(board.isValidCell(board.playerCell));
    const WalkStamp stamp = startSearch(scratch, board.cellCount);
    Record* records       = scratch.records.data();
    CellIndex* queue      = scratch.queue.data();

    records[board.playerCell] = {stamp, 0, DIR_LEFT};
    queue[0]                  = board.playerCell;
    std::size_t head          = 0;
    std::size_t tail          = 1;
    while (head < tail) {
        // 1. Take the oldest cell from the queue.
        const CellIndex cur     = queue[head++];
        const auto nextDistance = static_cast<std::int16_t>(records[cur].distance + 1);
        const std::array<CellIndex, DIR_COUNT>& next = board.neighboursOf(cur);
        // 2. Try its four neighbours, right, down, up, left.
        for (int dir = DIR_RIGHT; dir < DIR_COUNT; ++dir) {
            const CellIndex n = next[static_cast<std::size_t>(dir)];
            if (n == NO_CELL) {
                continue;
            }
            // 3. The target is met before the reached test: it never enters the queue.
            if (n == target) {
                records[n] = {stamp, nextDistance, static_cast<std::uint8_t>(dir)};
                return nextDistance;
            }
            // 4. A new enterable cell joins the queue with its arrival direction.
            if (records[n].stamp != stamp &&
                isEnterable(board.cells[static_cast<std::size_t>(n)])) {
                records[n]    = {stamp, nextDistance, static_cast<std::uint8_t>(dir)};
                queue[tail++] = n;
            }
        }
    }
    return -1;
}

} // namespace

std::int16_t Board::walkDistance(CellIndex target, WalkScratch& scratch) const {
    if (target < 0 || target >= cellCount ||
        !isEnterable(cells[static_cast<std::size_t>(target)])) {
        return -1;
    }
    if (target == playerCell) {
        return 0;
    }
    return search(*this, target, scratch);
}

std::int16_t Board::walkDistance(CellIndex target) const {
    WalkScratch scratch;
    return walkDistance(target, scratch);
}

std::int16_t Board::jumpTo(CellIndex target, WalkScratch& scratch) {
    const std::int16_t length = walkDistance(target, scratch);
    if (length != -1) {
        steps      = static_cast<std::int16_t>(steps + length);
        playerCell = target;
    }
    return length;
}

std::int16_t Board::jumpTo(CellIndex target) {
    WalkScratch scratch;
    return jumpTo(target, scratch);
}

std::int16_t Board::walkTo(CellIndex target, WalkPath& path, WalkScratch& scratch) {
    const std::int16_t length = walkDistance(target, scratch);
    if (length == -1) {
        return -1;
    }
    if (length > 0) {
        // Follow the arrival directions back from the target to the player, filling the own
        // path from its back, then append it behind what the caller's path already holds.
        std::vector<Direction>& own = scratch.ownPath;
        own.resize(static_cast<std::size_t>(length));
        std::size_t filled = own.size();
        for (CellIndex cell = target; cell != playerCell;) {
            const Record& record = scratch.records[static_cast<std::size_t>(cell)];
            const auto dir       = static_cast<Direction>(record.arrival);
            assert(record.stamp == scratch.stamp && filled > 0);
            own[--filled] = dir;
            cell          = neighbour(cell, reverse(dir));
        }
        path.insert(path.end(), own.begin(), own.end());
    }
    steps      = static_cast<std::int16_t>(steps + length);
    playerCell = target;
    return length;
}

std::int16_t Board::walkTo(CellIndex target, WalkPath& path) {
    WalkScratch scratch;
    return walkTo(target, path, scratch);
}

void walkDistances(const Board& board, WalkScratch& scratch) {
    if (!board.isValidCell(board.playerCell)) {
        startSearch(scratch, board.cellCount); // a search that reaches nothing
        return;
    }
    search(board, NO_CELL, scratch);
}

} // namespace goalbox
