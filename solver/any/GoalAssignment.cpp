#include "solver/any/GoalAssignment.h"

#include <algorithm>
#include <cstddef>
#include <limits>

namespace goalbox {

namespace {

// The cost of a pair that cannot be taken: above any total of real push counts (at most 32767
// boxes times 65534 pushes), so a total at or above it takes such a pair.
constexpr std::int64_t UNREACHABLE = std::int64_t{1} << 40;
constexpr std::int64_t SLACK_NONE  = std::numeric_limits<std::int64_t>::max() / 4;

} // namespace

GoalAssignment::GoalAssignment(const StaticLevel& level, const LowerBound& pushes)
    : level_(level), pushes_(pushes), goals_(pushes.goalCount()) {}

void GoalAssignment::setRow(std::int32_t row, std::int32_t floor) {
    std::int64_t* line =
        &costs_[static_cast<std::size_t>(row - 1) * static_cast<std::size_t>(goals_)];
    for (std::int32_t goal = 0; goal < goals_; ++goal) {
        const std::int32_t d = pushes_.pushesTo(goal, floor);
        line[goal]           = d == LowerBound::DEAD ? UNREACHABLE : d;
    }
}

// One augmenting path from the row that has no goal: a tree of pairs at reduced cost 0 grows
// from it, the potentials rising by the least slack each time, until it reaches a goal that no
// row takes; the path to it is flipped.
void GoalAssignment::augment(State& state, std::int32_t row) {
    const auto columns  = static_cast<std::size_t>(goals_) + 1;
    std::int64_t* u     = state.rowPotential.data();
    std::int64_t* v     = state.columnPotential.data();
    std::int32_t* owner = state.columnRow.data();
    minSlack_.assign(columns, SLACK_NONE);
    used_.assign(columns, 0);
    way_.assign(columns, 0);
    owner[0]             = row;
    std::int32_t column0 = 0;
    do {
        used_[static_cast<std::size_t>(column0)] = 1;
        const std::int32_t row0                  = owner[column0];
        std::int64_t delta                       = SLACK_NONE;
        std::int32_t column1                     = 0;
        for (std::int32_t column = 1; column <= goals_; ++column) {
            const auto c = static_cast<std::size_t>(column);
            if (used_[c] != 0) {
                continue;
            }
            const std::int64_t reduced = cost(row0, column) - u[row0] - v[column];
            if (reduced < minSlack_[c]) {
                minSlack_[c] = reduced;
                way_[c]      = column0;
            }
            if (minSlack_[c] < delta) {
                delta   = minSlack_[c];
                column1 = column;
            }
        }
        for (std::int32_t column = 0; column <= goals_; ++column) {
            const auto c = static_cast<std::size_t>(column);
            if (used_[c] != 0) {
                u[owner[column]] += delta;
                v[column] -= delta;
            } else {
                minSlack_[c] -= delta;
            }
        }
        column0 = column1;
    } while (owner[column0] != 0);
    do {
        const std::int32_t column1 = way_[static_cast<std::size_t>(column0)];
        owner[column0]             = owner[column1];
        column0                    = column1;
    } while (column0 != 0);
}

std::int32_t GoalAssignment::total(const State& state) const {
    std::int64_t sum = 0;
    for (std::int32_t column = 1; column <= goals_; ++column) {
        const std::int32_t row = state.columnRow[static_cast<std::size_t>(column)];
        if (row != 0) {
            sum += cost(row, column);
        }
    }
    return sum >= UNREACHABLE ? DEAD : static_cast<std::int32_t>(sum);
}

std::int32_t GoalAssignment::assign(const std::uint64_t* key) {
    boxes_.clear();
    level_.forEachBox(key, [this](std::int32_t floor) { boxes_.push_back(floor); });
    rows_ = static_cast<std::int32_t>(boxes_.size());
    dead_ = rows_ > goals_;
    if (dead_) {
        return DEAD;
    }
    costs_.resize(static_cast<std::size_t>(rows_) * static_cast<std::size_t>(goals_));
    const auto columns = static_cast<std::size_t>(goals_) + 1;
    assigned_.rowPotential.assign(static_cast<std::size_t>(rows_) + 1, 0);
    assigned_.columnPotential.assign(columns, 0);
    assigned_.columnRow.assign(columns, 0);
    for (std::int32_t row = 1; row <= rows_; ++row) {
        setRow(row, boxes_[static_cast<std::size_t>(row) - 1]);
        augment(assigned_, row);
    }
    const std::int32_t sum = total(assigned_);
    dead_                  = sum == DEAD;
    return sum;
}

std::int32_t GoalAssignment::afterPush(std::int32_t from, std::int32_t to) {
    if (dead_) {
        return DEAD; // a push never makes an assignment possible that was not
    }
    const auto at  = std::lower_bound(boxes_.begin(), boxes_.end(), from);
    const auto row = static_cast<std::int32_t>(at - boxes_.begin()) + 1;
    // 1. The pushed box's row gets the costs of its new cell, and no goal; its potential drops to
    //    the least reduced cost, which keeps every reduced cost at 0 or more.
    repaired_ = assigned_;
    setRow(row, to);
    for (std::int32_t column = 1; column <= goals_; ++column) {
        if (repaired_.columnRow[static_cast<std::size_t>(column)] == row) {
            repaired_.columnRow[static_cast<std::size_t>(column)] = 0;
        }
    }
    std::int64_t least = SLACK_NONE;
    for (std::int32_t column = 1; column <= goals_; ++column) {
        least = std::min(least, cost(row, column) -
                                    repaired_.columnPotential[static_cast<std::size_t>(column)]);
    }
    repaired_.rowPotential[static_cast<std::size_t>(row)] = least;
    // 2. One path finds it the cheapest goal again.
    augment(repaired_, row);
    const std::int32_t sum = total(repaired_);
    setRow(row, from);
    return sum;
}

std::uint64_t GoalAssignment::memoryBytes() const {
    return (costs_.capacity() + assigned_.rowPotential.capacity() +
            assigned_.columnPotential.capacity() + repaired_.rowPotential.capacity() +
            repaired_.columnPotential.capacity() + minSlack_.capacity()) *
               sizeof(std::int64_t) +
           (boxes_.capacity() + assigned_.columnRow.capacity() + repaired_.columnRow.capacity() +
            way_.capacity()) *
               sizeof(std::int32_t);
}

} // namespace goalbox
