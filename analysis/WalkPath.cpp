// The walk path finder: a breadth-first search over enterable cells from the player's cell.
//
// The order is fixed: cells leave the queue in the order they entered it, the directions are
// tried right, down, up, left, and every cell keeps the direction by which it was first reached.
// That order decides which of several shortest walks is delivered, and the solver's node counts
// rest on it.
//
// The solver calls jumpTo up to four times per box of every position it expands, so a search
// allocates nothing once its buffers have grown to the board: the per-cell records carry a
// generation stamp instead of being reset, and the queue is a fixed array with a head and a tail.
#include "analysis/WalkPath.h"

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "board/Board.h"

namespace goalbox {

namespace {

// What one search knows about a cell. A record whose stamp is not the current search's stamp
// counts as "not reached yet" (distance -1, arrival direction DIR_LEFT).
struct CellRecord {
    WalkStamp stamp       = 0;
    std::int16_t distance = -1;
    std::uint8_t arrival  = DIR_LEFT;
};

// Working data reused by every search. The program runs on one thread, so one file-local scratch
// serves all calls; it grows to the largest board seen and is never shrunk.
struct WalkScratch {
    std::vector<CellRecord> records;
    // Every cell enters the queue at most once, so cellCount slots are enough.
    std::vector<CellIndex> queue;
    std::vector<Direction> ownPath;
    WalkStamp stamp = 0;
};

WalkScratch scratch;

void clearMarks() {
    for (CellRecord& record : scratch.records) {
        record.stamp = 0;
    }
}

// Makes room for cellCount cells and the queue.
void reserveCells(int cellCount) {
    const auto count = static_cast<std::size_t>(std::max(cellCount, 0));
    if (scratch.records.size() < count) {
        scratch.records.resize(count);
        scratch.queue.resize(count);
    }
}

// The stamp for a new search; on wrap-around every mark is cleared and counting starts at 1,
// since 0 is the stamp of a cleared record.
WalkStamp nextStamp() {
    ++scratch.stamp;
    if (scratch.stamp == 0) {
        clearMarks();
        scratch.stamp = 1;
    }
    return scratch.stamp;
}

// Whether the step from cur (in column curColumn) to cur + dirOffset[dir] stays in cur's row or
// column, given that both cells are on the grid. This is sameRowOrColumn with one division per
// cell taken from the queue instead of four per step: an up or down step keeps the column; a
// sideways step keeps the row unless cur is at that row end. On a board one column wide every
// cell is a row end: a sideways offset there equals a vertical one, and taking it would deliver
// a walk down as steps right, so sideways steps are skipped, as Board::move refuses them.
bool staysInLine(int dir, int curColumn, int width) {
    switch (dir) {
    case DIR_RIGHT:
        return curColumn != width - 1;
    case DIR_LEFT:
        return curColumn != 0;
    default:
        return true;
    }
}

// Breadth-first search from the player's cell to target, which is on the grid, enterable and not
// the player's cell. Returns the target's distance, or -1 when no walk reaches it. The records of
// this search (stamp scratch.stamp) stay behind for the path rebuild.
std::int16_t searchTo(const Board& board, CellIndex target) {
    assert(board.isValidCell(board.playerCell));
    reserveCells(board.cellCount);
    const WalkStamp stamp            = nextStamp();
    std::vector<CellRecord>& records = scratch.records;
    std::vector<CellIndex>& queue    = scratch.queue;
    const int width                  = board.width;

    records[board.playerCell] = {stamp, 0, DIR_LEFT};
    queue[0]                  = board.playerCell;
    std::size_t head          = 0;
    std::size_t tail          = 1;
    while (head < tail) {
        // 1. Take the oldest cell from the queue.
        const CellIndex cur     = queue[head++];
        const auto nextDistance = static_cast<std::int16_t>(records[cur].distance + 1);
        const int curColumn     = cur % width;
        // 2. Try its four neighbours, right, down, up, left.
        for (int dir = DIR_RIGHT; dir < DIR_COUNT; ++dir) {
            const auto n = static_cast<CellIndex>(cur + board.dirOffset[dir]);
            if (n < 0 || n >= board.cellCount || !staysInLine(dir, curColumn, width)) {
                continue;
            }
            // 3. The target is met before the reached test: it never enters the queue.
            if (n == target) {
                records[n] = {stamp, nextDistance, static_cast<std::uint8_t>(dir)};
                return nextDistance;
            }
            // 4. A new enterable cell joins the queue with its arrival direction.
            if (records[n].stamp != stamp && isEnterable(board.cells[n])) {
                records[n]    = {stamp, nextDistance, static_cast<std::uint8_t>(dir)};
                queue[tail++] = n;
            }
        }
    }
    return -1;
}

} // namespace

std::int16_t Board::walkDistance(CellIndex target) const {
    if (target < 0 || target >= cellCount || !isEnterable(cells[target])) {
        return -1;
    }
    if (target == playerCell) {
        return 0;
    }
    return searchTo(*this, target);
}

std::int16_t Board::jumpTo(CellIndex target) {
    const std::int16_t length = walkDistance(target);
    if (length != -1) {
        steps      = static_cast<std::int16_t>(steps + length);
        playerCell = target;
    }
    return length;
}

std::int16_t Board::walkTo(CellIndex target, WalkPath& path) {
    const std::int16_t length = walkDistance(target);
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
            const auto dir = static_cast<Direction>(scratch.records[cell].arrival);
            assert(scratch.records[cell].stamp == scratch.stamp && filled > 0);
            own[--filled] = dir;
            cell          = static_cast<CellIndex>(cell + dirOffset[reverse(dir)]);
        }
        path.insert(path.end(), own.begin(), own.end());
    }
    steps      = static_cast<std::int16_t>(steps + length);
    playerCell = target;
    return length;
}

void walkDistances(const Board& board, std::vector<std::int16_t>& dist) {
    const int count = std::max<int>(board.cellCount, 0);
    dist.assign(static_cast<std::size_t>(count), -1);
    if (!board.isValidCell(board.playerCell)) {
        return;
    }
    reserveCells(count);
    std::vector<CellIndex>& queue = scratch.queue;
    const int width               = board.width;

    // The same search as walkDistance without a target: every enterable cell gets the distance
    // of its first discovery, which is the distance a search for that cell would stop at.
    dist[board.playerCell] = 0;
    queue[0]               = board.playerCell;
    std::size_t head       = 0;
    std::size_t tail       = 1;
    while (head < tail) {
        const CellIndex cur     = queue[head++];
        const auto nextDistance = static_cast<std::int16_t>(dist[cur] + 1);
        const int curColumn     = cur % width;
        for (int dir = DIR_RIGHT; dir < DIR_COUNT; ++dir) {
            const auto n = static_cast<CellIndex>(cur + board.dirOffset[dir]);
            if (n < 0 || n >= board.cellCount || !staysInLine(dir, curColumn, width)) {
                continue;
            }
            if (dist[n] == -1 && isEnterable(board.cells[n])) {
                dist[n]       = nextDistance;
                queue[tail++] = n;
            }
        }
    }
    // walkDistance refuses a target that is not enterable, the player's own cell included.
    if (!isEnterable(board.cells[board.playerCell])) {
        dist[board.playerCell] = -1;
    }
}

WalkStamp walkStamp() {
    return scratch.stamp;
}

void setWalkStamp(WalkStamp stamp) {
    clearMarks();
    scratch.stamp = stamp;
}

} // namespace goalbox
