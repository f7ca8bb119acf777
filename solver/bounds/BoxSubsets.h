#ifndef SOLVER_BOUNDS_BOXSUBSETS_H
#define SOLVER_BOUNDS_BOXSUBSETS_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "solver/bounds/DeadBound.h"
#include "solver/bounds/LowerBound.h"
#include "solver/positions/StaticLevel.h"

namespace goalbox {

// What a few boxes alone say about a position: a lower bound on the steps still needed, and
// positions that cannot be solved.
//
// Taking boxes away never makes a level harder: the moves of a solution of the whole position,
// with the pushes of the other boxes turned into walks over the cells they crossed, solve the
// boxes that stay, the player covering the same path. So the fewest steps that bring a few
// boxes alone onto distinct goals, from where they stand with the player where it stands, never
// exceed the steps the whole position still needs; when they cannot be brought onto goals at
// all, the position cannot be solved.
//
// The tables hold, for every set of two (or three) floor cells and every player cell, those
// fewest steps (walk steps and pushes alike), found by a breadth-first search backwards from
// every set of goals over moves undone: a walk step back, or a pull. Pushes follow the grid
// rules of StaticLevel (in line, on the floor, not across a row end). Each set's steps change
// by at most one per step of the whole position (a walk or a push of another box is a walk
// step of the smaller problem), so the largest of them is a consistent bound.
//
// The sets are made of box cells only: the floor cells from which a box alone, on the empty
// board, can be pushed onto a goal. A backward search from goals pulls boxes onto no other cell
// (another box only stands in the way), and a position with a box elsewhere is dead already.
//
// Layout: per player cell, one byte per set in rank order (the sets of a size numbered 0, 1,
// 2, ... by the colex rank, the sum of C(b_i, i + 1) over the box cell numbers b0 < b1 < ...
// of their cells), so the sets read for one position lie together.
class BoxSubsets {
  public:
    static constexpr std::int32_t MAX_PAIR_FLOOR   = 128;
    static constexpr std::int32_t MAX_TRIPLE_FLOOR = 96;
    // The tests of dead triples and quadruples after a push keep cells in one word, and read
    // the boxes of a key as one (StaticLevel::boxSet).
    static constexpr std::int32_t MAX_MASK_FLOOR = StaticLevel::ONE_WORD_FLOOR;

    // No tables yet: a search adds them as it grows, since setting them up takes longer than
    // most small searches take. Each table added makes the bound grow; it stays consistent.
    // The box cells are the floor cells from which pushes (the empty board's push counts) has a
    // box reach a goal. boxCount is the level's number of boxes.
    BoxSubsets(const StaticLevel& level, const LowerBound& pushes, std::int32_t boxCount);

    // Adds the pair table, on levels of up to MAX_PAIR_FLOOR floor cells and at least two boxes;
    // false when the level gets none (or has it already, or the whole triple).
    bool addPairs();
    // Adds the triple table after the pair table, on levels of up to MAX_TRIPLE_FLOOR floor
    // cells and at least three boxes; false when the level gets none. On a level of exactly
    // three boxes the triple is the whole position: it needs no pair table before it, makes
    // the pairs' say redundant (the three boxes need at least the steps of any two, and two
    // that cannot be solved make three that cannot), and its table is all that is read.
    bool addTriples();
    // Whether addTriples will add a table (the level's floor allows it).
    bool canAddTriples() const {
        return !binom_.empty() && boxCount_ >= 3 && level_.floorCount >= 3 &&
               level_.floorCount <= MAX_TRIPLE_FLOOR;
    }
    // A level of three boxes, whose triple table is the whole position's.
    bool triplesAreWhole() const { return boxCount_ == 3; }
    // The positions a table of sets of size boxes holds: sets times player cells.
    std::uint64_t tableSize(std::int32_t size) const {
        return binom_.empty() ? 0 : setCount(static_cast<std::size_t>(size)) * floorCount_;
    }

    // Adds the table of dead box quadruples (levels of up to MAX_MASK_FLOOR floor cells):
    // the player regions (the floor less the four cells falls into a few regions) from which
    // four boxes alone cannot be solved. It takes a moment to set up, so a search adds it only
    // once it has grown; leaving out more positions that cannot be solved never changes a
    // result. False when the level gets none.
    bool addQuadruples();

    // True when the box on floor cell moved makes, with other boxes of key, a set that cannot be
    // solved with the player on floor cell player. Only sets holding moved are read: a push
    // changes no other set of boxes, nor where the player can walk among them.
    bool isDeadAfterPush(const std::uint64_t* key, std::int32_t moved, std::int32_t player) const;

    // True when any set of boxes of key cannot be solved with the player on floor cell player
    // (-1: off the floor, where nothing is known). For positions that no push led to.
    bool isDead(const std::uint64_t* key, std::int32_t player) const;

    // The largest of the set bounds of key with the player on floor cell player (-1: off the
    // floor, which only a start position can be); 0 without a table, BOUND_DEAD when a set cannot
    // be solved.
    std::int32_t bound(const std::uint64_t* key, std::int32_t player) const;

    std::uint64_t memoryBytes() const;

  private:
    static constexpr std::uint8_t NO_STEPS = 0xFF;

    bool isBoxCell(std::int32_t floor) const {
        return rankTerm_[static_cast<std::size_t>(floor) * BINOM_STRIDE] != 0;
    }
    // The number of sets of size box cells.
    std::size_t setCount(std::size_t size) const {
        return static_cast<std::size_t>(binom_[boxCellCount_ * BINOM_STRIDE + size]);
    }
    std::size_t rankOf(const std::int32_t* sorted, std::int32_t size) const;
    std::size_t pairRank(std::int32_t a, std::int32_t b) const;
    std::size_t tripleRank(std::int32_t a, std::int32_t b, std::int32_t c) const;
    std::size_t quadRank(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d) const;
    bool allOnGoals(const std::int32_t* set, std::int32_t size) const;
    std::uint64_t tripleDeadCells(std::size_t rank) const;
    std::vector<std::int32_t> setsInRankOrder(std::size_t sets, std::size_t size) const;
    std::vector<std::int32_t> pullStands() const;

    // The backward search of the table of sets of SIZE cells: its start, one step of it, and
    // the whole table.
    template <std::int32_t SIZE>
    std::vector<std::uint32_t> goalStates(const std::vector<std::int32_t>& cells,
                                          std::vector<std::uint8_t>& steps) const;
    template <std::int32_t SIZE>
    void stepBack(const std::vector<std::int32_t>& cells, const std::vector<std::int32_t>& stands,
                  const std::vector<std::uint32_t>& layer, std::uint8_t stepsThere,
                  std::vector<std::uint8_t>& steps, std::vector<std::uint32_t>& nextLayer) const;
    template <std::int32_t SIZE> std::vector<std::uint8_t> fewestSteps() const;

    void recordFailingTriples();
    std::vector<std::uint16_t> solvableRegions(const std::vector<std::int32_t>& cells,
                                               const std::vector<std::uint8_t>& regions,
                                               const std::vector<std::uint8_t>& regionCount) const;
    void recordDeadQuadruples(const std::vector<std::int32_t>& cells,
                              const std::vector<std::uint8_t>& regions,
                              const std::vector<std::uint16_t>& solvable);
    std::uint8_t wholeSteps(const std::uint64_t* key, std::int32_t player) const;

    const StaticLevel& level_;
    std::int32_t boxCount_    = 0;
    std::size_t floorCount_   = 0;
    std::size_t boxCellCount_ = 0;
    std::vector<std::int32_t> boxCells_; // per box cell number: its floor cell
    std::size_t pairCount_   = 0;
    std::size_t tripleCount_ = 0;
    // binom_[n * BINOM_STRIDE + k] = C(n, k), k < BINOM_STRIDE, n up to the box cell count.
    static constexpr std::size_t BINOM_STRIDE = 5;
    std::vector<std::uint64_t> binom_;
    // Per floor cell * BINOM_STRIDE + k: C(its box cell number, k) for k >= 1, the terms of a
    // rank; at k = 0, 1 on a box cell and 0 on other floor cells.
    std::vector<std::uint64_t> rankTerm_;
    bool hasPairs_   = false; // the tables are added (they hold no sets on a level with
    bool hasTriples_ = false; // fewer box cells than their size)
    // Per player cell * set count + set rank: the fewest steps, NO_STEPS for none (and where the
    // player stands on a box). More steps than NO_STEPS - 1 are kept as NO_STEPS - 1.
    std::vector<std::uint8_t> pairSteps_;
    std::vector<std::uint8_t> tripleSteps_;
    // Per pair: the third cells that make a triple with it that cannot be solved for some player
    // cell where the pair can.
    std::vector<std::uint64_t> thirdCells_;
    // The quadruples that fail where none of their triples or pairs does, empty until added.
    struct DeadQuadruples {
        std::vector<std::uint64_t> players; // per quadruple: the player cells where it fails
        std::vector<std::uint64_t> thirds;  // per pair: the third cells of such quadruples
        std::vector<std::uint64_t> fourths; // per triple: their fourth cells
    };
    DeadQuadruples deadQuads_;
};

} // namespace goalbox

#endif
