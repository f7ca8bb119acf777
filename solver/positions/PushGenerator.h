#ifndef SOLVER_POSITIONS_PUSHGENERATOR_H
#define SOLVER_POSITIONS_PUSHGENERATOR_H

#include <cstdint>
#include <vector>

#include "board/Board.h"
#include "board/WalkSearch.h"
#include "solver/dead/TrapAfterPush.h"
#include "solver/positions/StaticLevel.h"

namespace goalbox {

// One push that a position allows and after which the board is not trapped.
struct Push {
    CellIndex from    = 0; // the box's cell before the push, the player's cell after it
    CellIndex to      = 0; // the box's cell after the push
    Direction dir     = DIR_RIGHT;
    std::int16_t cost = 0; // the walk to the stand cell plus the push
};

// Generates the pushes of a position exactly as the plain search's expansion does (boxes
// by ascending cell, for each the directions right, down, up, left; the walk by jumpTo, the
// push by move, the dead test by isTrapped), so that every search built on it sees the same
// positions with the same steps. It is faster by three means that change no answer:
//
//   - all trial pushes of a position start from the same boxes, so one breadth-first search
//     from the player gives every stand cell's walk length, equal to each jumpTo's: the walk
//     path finder's search through all cells it reaches, or on small levels a search by
//     layers of one word over the floor, which steps by the same neighbour table (through
//     StaticLevel::floorNeighbour) and whose order does not matter, since a shortest walk's
//     length is the same whatever order finds it;
//   - a push is tried on the board's cells and undone by writing the two cells back;
//   - after a push from a position that is not trapped, only the squares and lines that the
//     push can turn dead are tested (TrapAfterPush).
class PushGenerator {
  public:
    PushGenerator(const Board& start, const StaticLevel& level);

    // Puts the working board in the position of key, writing only the cells whose box differs
    // from the position it showed before.
    void setPosition(const std::uint64_t* key);

    // Appends to pushes (cleared first) every push of the current position that move accepts
    // and after which the board is not trapped. positionTrapped tells that the current
    // position itself may be trapped (only the initial one can be), which calls for the full
    // test.
    void generate(bool positionTrapped, std::vector<Push>& pushes);

    const Board& board() const { return board_; }
    std::uint64_t pushesTried() const { return pushesTried_; }
    std::uint64_t memoryBytes() const;

  private:
    const StaticLevel& level_;
    Board board_;
    TrapAfterPush trapAfterPush_;
    void measureWalks();
    std::int16_t walkLength(CellIndex stand) const;
    void measureWalksByLayers(std::int32_t start);

    std::vector<std::uint64_t> boardKey_; // the key of the position the board shows

    // The walks from the player. On levels of up to StaticLevel::ONE_WORD_FLOOR floor cells,
    // with the player on the floor: per floor number its walk neighbours as bits, the free floor
    // cells the latest search reached and their walk lengths. Otherwise (a player off the floor can
    // only be a start position's) the walk path finder's search, which leaves the lengths in
    // its scratch.
    std::vector<std::uint64_t> neighbourMasks_;
    std::uint64_t reachedFree_ = 0;
    std::vector<std::int16_t> walkByFloor_;
    WalkScratch walkScratch_;
    bool walksByLayers_        = false;
    std::uint64_t pushesTried_ = 0;
};

} // namespace goalbox

#endif
