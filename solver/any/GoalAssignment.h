#ifndef SOLVER_ANY_GOALASSIGNMENT_H
#define SOLVER_ANY_GOALASSIGNMENT_H

#include <cstdint>
#include <vector>

#include "solver/bounds/LowerBound.h"
#include "solver/positions/StaticLevel.h"

namespace goalbox {

// The cheapest assignment of the boxes to distinct goals by the empty board's push counts (the
// value of LowerBound::estimate), worked out in full for one position and then repaired for each
// push from it: the pushed box gives up its goal and looks for the cheapest one again along one
// augmenting path, the others keeping their goals and potentials. A search that estimates every
// position after the pushes of the one it expands pays one full assignment per expansion and a
// path per push, where the full one for each would cost as much as the boxes times that.
//
// Rows are the boxes in ascending floor order, columns the goals; the potentials keep every
// cost minus its row's and its column's at 0 or more, and at 0 on the pairs taken, which makes
// the assignment the cheapest one.
class GoalAssignment {
  public:
    static constexpr std::int32_t DEAD = LowerBound::DEAD;

    GoalAssignment(const StaticLevel& level, const LowerBound& pushes);

    // The assignment of the position of key; its total, or DEAD when there is none.
    std::int32_t assign(const std::uint64_t* key);
    // The total after the box on floor cell from (a box of the position assigned last) moved to
    // floor cell to; the position assigned stays as it was. DEAD when there is none.
    std::int32_t afterPush(std::int32_t from, std::int32_t to);

    std::uint64_t memoryBytes() const;

  private:
    struct State {
        std::vector<std::int64_t> rowPotential;    // per row, from 1
        std::vector<std::int64_t> columnPotential; // per column, from 1 (0: the search's start)
        std::vector<std::int32_t> columnRow;       // per column: its row, 0 for none
    };
    std::int64_t cost(std::int32_t row, std::int32_t column) const {
        return costs_[static_cast<std::size_t>(row - 1) * static_cast<std::size_t>(goals_) +
                      static_cast<std::size_t>(column - 1)];
    }
    void setRow(std::int32_t row, std::int32_t floor);
    void augment(State& state, std::int32_t row);
    std::int32_t total(const State& state) const;

    const StaticLevel& level_;
    const LowerBound& pushes_;
    std::int32_t goals_ = 0;
    std::int32_t rows_  = 0;
    std::vector<std::int32_t> boxes_; // per row - 1: the box's floor cell
    std::vector<std::int64_t> costs_; // per (row - 1) * goals + column - 1
    State assigned_;
    bool dead_ = false;
    State repaired_;
    std::vector<std::int64_t> minSlack_;
    std::vector<std::int32_t> way_;
    std::vector<std::uint8_t> used_;
};

} // namespace goalbox

#endif
