#include "solver/any/GoalMacro.h"

#include <algorithm>
#include <cstddef>

namespace goalbox {

GoalMacro::GoalMacro(const StaticLevel& level, const PackingOrder& order, std::int32_t boxCount)
    : level_(level), order_(order), area_(level, boxCount), startArea_(level, boxCount),
      key_(static_cast<std::size_t>(level.keyWords)),
      seen_(static_cast<std::size_t>(level.floorCount) * DIR_COUNT, 0) {}

std::int32_t GoalMacro::advise(const std::uint64_t* key, std::int32_t player, std::int32_t* box,
                               std::vector<SolutionStep>& steps, std::int32_t* lastPlayer) {
    if (!order_.usable()) {
        return NO_FLOOR;
    }
    startMeasured_ = false;
    for (std::int32_t group = 0; group < order_.groupCount(); ++group) {
        const std::int32_t k = order_.nextOf(key, group);
        if (k == -1) {
            continue;
        }
        // The boxes by their pushes to the goal on the empty board, nearest first.
        candidates_.clear();
        level_.forEachBox(key, [&](std::int32_t floor) {
            const std::int32_t pushes = order_.pushesTo(k, floor);
            if (pushes != PackingOrder::NO_PATH && pushes > 0) {
                candidates_.emplace_back(pushes, floor);
            }
        });
        const std::size_t tries = std::min(candidates_.size(), ADVICE_BOXES);
        std::partial_sort(candidates_.begin(),
                          candidates_.begin() + static_cast<std::ptrdiff_t>(tries),
                          candidates_.end());
        for (std::size_t c = 0; c < tries; ++c) {
            if (bring(key, candidates_[c].second, player, k, steps, lastPlayer)) {
                *box = candidates_[c].second;
                return order_.goalAt(k);
            }
        }
    }
    return NO_FLOOR;
}

bool GoalMacro::bring(const std::uint64_t* key, std::int32_t box, std::int32_t player,
                      std::int32_t k, std::vector<SolutionStep>& steps, std::int32_t* lastPlayer) {
    if (++stamp_ == 0) {
        std::fill(seen_.begin(), seen_.end(), 0);
        stamp_ = 1;
    }
    // Breadth first over the box's cell and the player's beside it.
    std::copy(key, key + level_.keyWords, key_.begin());
    level_.removeBox(key_.data(), box);
    states_.assign(1, State{box, player, -1, 0});
    std::int32_t reached = -1;
    for (std::size_t head = 0; head < states_.size() && reached == -1; ++head) {
        if (states_.size() > STATE_LIMIT) {
            return false;
        }
        const State state    = states_[head];
        const Corrals* area  = nullptr; // the player's area in state, once measured
        const CellIndex cell = level_.floorCells[static_cast<std::size_t>(state.box)];
        for (std::int32_t dir = 0; dir < DIR_COUNT; ++dir) {
            if (!level_.isPushable(cell, dir)) {
                continue;
            }
            const std::int32_t to = level_.floorNeighbour(state.box, dir);
            const std::int32_t stand =
                level_.floorIndex[static_cast<std::size_t>(cell - level_.dirOffset[dir])];
            if (to == NO_FLOOR || stand == NO_FLOOR || level_.hasBox(key_.data(), to)) {
                continue;
            }
            const std::int32_t pushes = order_.pushesTo(k, to);
            std::uint32_t& mark =
                seen_[static_cast<std::size_t>(to) * DIR_COUNT + static_cast<std::size_t>(dir)];
            if (pushes == PackingOrder::NO_PATH || mark == stamp_) {
                continue;
            }
            // The player stands behind the box after a push; other stand cells need its area,
            // measured once per state and only where a push is still worth trying.
            if (stand != state.player) {
                if (area == nullptr) {
                    area = &measureArea(key, state, head == 0);
                }
                if (!area->inArea(stand)) {
                    continue;
                }
            }
            mark = stamp_;
            states_.push_back(State{to, state.box, static_cast<std::int32_t>(head), dir});
            if (pushes == 0) {
                reached = static_cast<std::int32_t>(states_.size()) - 1;
                break;
            }
        }
    }
    if (reached == -1) {
        return false;
    }
    // The pushes, first first.
    const std::size_t before = steps.size();
    for (std::int32_t at = reached; states_[static_cast<std::size_t>(at)].parent != -1;
         at              = states_[static_cast<std::size_t>(at)].parent) {
        const State& state = states_[static_cast<std::size_t>(at)];
        steps.push_back(SolutionStep{
            static_cast<CellIndex>(level_.floorCells[static_cast<std::size_t>(state.player)] -
                                   level_.dirOffset[static_cast<std::size_t>(state.dir)]),
            static_cast<Direction>(state.dir)});
    }
    std::reverse(steps.begin() + static_cast<std::ptrdiff_t>(before), steps.end());
    *lastPlayer = states_[static_cast<std::size_t>(reached)].player;
    return true;
}

const Corrals& GoalMacro::measureArea(const std::uint64_t* key, const State& state, bool first) {
    if (!first) {
        level_.addBox(key_.data(), state.box);
        area_.measureArea(key_.data(), state.player);
        level_.removeBox(key_.data(), state.box);
        return area_;
    }
    if (!startMeasured_) {
        startArea_.measureArea(key, state.player);
        startMeasured_ = true;
    }
    return startArea_;
}

std::uint64_t GoalMacro::memoryBytes() const {
    return area_.memoryBytes() + startArea_.memoryBytes() +
           key_.capacity() * sizeof(std::uint64_t) + states_.capacity() * sizeof(State) +
           candidates_.capacity() * sizeof(candidates_[0]) +
           seen_.capacity() * sizeof(std::uint32_t);
}

} // namespace goalbox
