#ifndef BOARD_WALKSEARCH_H
#define BOARD_WALKSEARCH_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "board/Board.h"

namespace goalbox {

// The walk path finder's one breadth-first search and its working data. The walk operations
// Board::walkDistance, Board::jumpTo and Board::walkTo are declared with Board and defined in
// board/WalkSearch.cpp; walkDistances below runs the same search for every cell at once.

// Each search marks the cells it reaches with a new generation stamp, so that nothing has to be
// cleared between searches; when the stamp runs past its largest value every mark is cleared
// and counting starts again at 1.
using WalkStamp = std::uint16_t;

// The working data of walk searches. A caller that searches often owns one and passes it to
// every search, which then allocates nothing once the buffers have grown to the board; the
// operations without a scratch argument use one of their own for the call. A scratch may serve
// boards of any size, one search at a time.
struct WalkScratch {
    // What a search knows about a cell. A record whose stamp is not the latest search's counts
    // as not reached (distance -1).
    struct Record {
        WalkStamp stamp       = 0;
        std::int16_t distance = -1;
        std::uint8_t arrival  = DIR_LEFT; // the direction of the step that first reached it
    };

    std::vector<Record> records; // per cell, grown to the largest board seen, never shrunk
    std::vector<CellIndex> queue;
    std::vector<Direction> ownPath;
    WalkStamp stamp = 0; // the latest search's stamp (0: no search yet)

    // The length of the shortest walk the latest search found from the player to cell, or -1
    // where it did not come. The player's own cell has 0 whatever its code.
    std::int16_t distance(CellIndex cell) const {
        const Record& record = records[static_cast<std::size_t>(cell)];
        return record.stamp == stamp ? record.distance : std::int16_t{-1};
    }
};

// The shortest walks from the player to every cell at once, by the search of walkDistance:
// afterwards scratch.distance(i) equals board.walkDistance(i) for every enterable cell i (and
// is -1 everywhere when the player is off the grid). The board is not changed.
void walkDistances(const Board& board, WalkScratch& scratch);

} // namespace goalbox

#endif
