#ifndef SOLVER_BOXSUBSETS_H
#define SOLVER_BOXSUBSETS_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "solver/StaticLevel.h"

namespace goalbox {

// What a few boxes alone say about a position: a lower bound on the steps still needed, and
// positions that cannot be solved.
//
// Taking boxes away never makes a level harder: the moves of a solution of the whole position,
// with the pushes of the other boxes turned into walks over the cells they crossed, solve the
// boxes that stay, with the player covering the same path. So the fewest steps that bring a
// few boxes alone onto distinct goals, from where they stand with the player where it stands,
// never exceed the steps the whole position still needs, and when they cannot be brought onto
// goals at all, the position cannot be solved.
//
// When the level is set up, backward breadth-first searches from every set of goals over
// moves undone (a walk step back, or a pull) give:
//
//   pairs    for every two floor cells and player cell, the fewest steps (walks and pushes)
//            that solve the two boxes alone, or none; on levels of up to MAX_PAIR_FLOOR floor
//            cells
//   triples  for every three floor cells, the player regions (the floor less the three cells
//            falls into a few regions) from which the three boxes alone cannot be solved; on
//            levels of up to MAX_TRIPLE_FLOOR floor cells
//
// Pushes follow the grid rules of StaticLevel (in line, on the floor, not across a row end).
// Each pair bound is consistent (a move changes it by at most one step, as a step is one move
// of the smaller problem), so their largest is too.
class BoxSubsets {
  public:
    static constexpr std::int32_t MAX_PAIR_FLOOR   = 128;
    static constexpr std::int32_t MAX_TRIPLE_FLOOR = 64;
    static constexpr std::int32_t DEAD             = 1 << 28; // as LowerBound::DEAD

    explicit BoxSubsets(const StaticLevel& level);

    // True when the box on floor cell moved makes, with other boxes of key, a set that cannot
    // be solved with the player on floor cell player. Only sets holding moved are read: a
    // push changes no other set of boxes, nor the player's region among them.
    bool isDeadAfterPush(const std::uint64_t* key, std::int32_t moved, std::int32_t player) const;

    // The largest of the pair bounds of key with the player on floor cell player (-1: off
    // the floor, which only a start position can be); 0 without a table, DEAD when a pair
    // cannot be solved.
    std::int32_t pairBound(const std::uint64_t* key, std::int32_t player) const;

    std::uint64_t memoryBytes() const;

  private:
    struct Sets;
    void buildRegions(std::int32_t size, Sets& sets);
    void buildPairSteps();
    void buildTriples();
    std::size_t indexOf(const std::int32_t* sorted, std::int32_t size) const;
    std::size_t pairIndex(std::int32_t a, std::int32_t b) const;

    static constexpr std::uint8_t NO_STEPS = 0xFF;

    const StaticLevel& level_;
    std::size_t floorCount_ = 0;
    // binom_[n * 4 + k] = C(n, k), k < 4: the rank of a sorted set c0 < c1 < ... is the sum of
    // C(c_i, i + 1), so the sets of a size are numbered 0, 1, 2, ... without gaps.
    std::vector<std::uint64_t> binom_;
    // Per pair * floorCount + player floor cell: the fewest steps, NO_STEPS for none (or the
    // player on a box cell). Steps beyond NO_STEPS - 1 are kept as NO_STEPS - 1, a lower bound.
    std::vector<std::uint8_t> pairSteps_;
    // Per triple: the player cells where it cannot be solved and none of its pairs fails
    // already; per pair, the third cells that make such a triple with it.
    std::vector<std::uint64_t> tripleDead_;
    std::vector<std::uint64_t> thirdCells_;
};

} // namespace goalbox

#endif
