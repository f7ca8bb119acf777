#include "solver/any/AnySearch.h"

#include <algorithm>
#include <cstddef>

#include "solver/positions/GentleGrowth.h"
#include "solver/positions/PushBetween.h"

namespace goalbox {

namespace {

// Queue cells per count of goals packed: the corrals beside the player's area, up to this
// many less one.
constexpr std::int32_t CORRAL_CELLS = 8;

} // namespace

AnySearch::AnySearch(const StaticLevel& level, LowerBound& bound, const BoxSubsets& subsets,
                     const LoneBoxes& loneBoxes, const PackingOrder& order,
                     PushGenerator& generator, SolveControl& control, const AnySettings& settings)
    : level_(level), bound_(bound), subsets_(subsets), loneBoxes_(loneBoxes), order_(order),
      generator_(generator), control_(control), settings_(settings), frozenBoxes_(level, bound),
      corrals_(level, generator.board().boxCount), assignment_(level, bound),
      corralDeadlocks_(level, bound, loneBoxes, generator.board()), store_(level.keyWords),
      parentKey_(static_cast<std::size_t>(level.keyWords)),
      childKey_(static_cast<std::size_t>(level.keyWords)) {}

// Keeps of the pushes generated only those into a corral that narrows the search, where the
// position of parentKey_ has one; none when a corral's fence can never open.
void AnySearch::narrowToCorral() {
    const std::int32_t player = level_.playerFloor(parentKey_.data());
    if (player == NO_FLOOR) {
        return;
    }
    corrals_.measure(parentKey_.data(), player);
    if (corralDeadlocks_.isDead(parentKey_.data(), corrals_)) {
        generated_.clear();
        return;
    }
    if (corrals_.choose(parentKey_.data())) {
        std::erase_if(generated_, [this](const Push& push) {
            return !corrals_.leadsIn(level_.floorIndex[static_cast<std::size_t>(push.to)]);
        });
    }
}

// The dead tests of the position of childKey_ after push (the player on the cell the box left).
bool AnySearch::isDeadAfterPush(const Push& push) {
    const std::int32_t to   = level_.floorIndex[static_cast<std::size_t>(push.to)];
    const std::int32_t from = level_.floorIndex[static_cast<std::size_t>(push.from)];
    return bound_.nearestPushes(to) == LowerBound::DEAD || !loneBoxes_.canReachGoal(to, from) ||
           frozenBoxes_.isFrozenOffGoal(childKey_.data(), push.to) ||
           subsets_.isDeadAfterPush(childKey_.data(), to, from);
}

// Queues entry, whose position is key, by the guide of the settings.
void AnySearch::queue(std::uint32_t entry, const std::uint64_t* key, std::int32_t estimate) {
    std::int64_t priority = std::int64_t{estimate} * settings_.estimateWeight +
                            std::int64_t{pushes_[entry]} * settings_.pathWeight;
    std::size_t cell = 0;
    if (settings_.followOrder && order_.usable()) {
        const PackingOrder::Guide guide = order_.guide(key);
        priority +=
            std::int64_t{guide.nextPushes == PackingOrder::BLOCKED ? settings_.blockedPenalty
                                                                   : guide.nextPushes} *
            settings_.nextWeight;
        if (settings_.featureCells) {
            cell = static_cast<std::size_t>(guide.packed) * CORRAL_CELLS;
        } else {
            priority += std::int64_t{order_.goalCount() - guide.packed} * settings_.packedWeight;
        }
    }
    if (settings_.featureCells) {
        if (level_.playerFloor(key) != NO_FLOOR) {
            corrals_.measureParts(key);
            cell += static_cast<std::size_t>(std::min(corrals_.partCount(), CORRAL_CELLS - 1));
        }
    }
    queue_.push(entry, cell, static_cast<std::size_t>(std::max<std::int64_t>(priority, 0)));
}

// Generates the pushes of entry and queues every new position after them that can still be
// solved. True when one of them is solved.
bool AnySearch::expand(std::uint32_t entry, bool trapped) {
    const std::uint64_t* stored = store_.key(entry);
    std::copy(stored, stored + level_.keyWords, parentKey_.begin());
    generator_.setPosition(parentKey_.data());
    generator_.generate(trapped, generated_);
    narrowToCorral();
    if (!generated_.empty()) {
        assignment_.assign(parentKey_.data());
    }
    const auto pathPushes = static_cast<std::uint16_t>(std::min(pushes_[entry] + 1, 0xFFFF));
    for (const Push& push : generated_) {
        // 1. The position after the push, unless it is dead.
        std::copy(parentKey_.begin(), parentKey_.end(), childKey_.begin());
        level_.applyPush(childKey_.data(), push.from, push.to);
        if (isDeadAfterPush(push)) {
            continue;
        }
        // 2. The player on the lowest cell of its area; a position met before is left.
        const std::int32_t from = level_.floorIndex[static_cast<std::size_t>(push.from)];
        level_.setPlayer(childKey_.data(), level_.floorCells[static_cast<std::size_t>(
                                               corrals_.measureArea(childKey_.data(), from))]);
        const std::uint64_t hash = PositionStore::hashOf(childKey_.data(), level_.keyWords);
        if (store_.find(childKey_.data(), hash) != NONE) {
            continue;
        }
        const std::int32_t estimate =
            assignment_.afterPush(from, level_.floorIndex[static_cast<std::size_t>(push.to)]);
        if (estimate == LowerBound::DEAD) {
            continue;
        }
        // 3. Stored; solved when every box stands on a goal.
        const std::uint32_t child = store_.insert(childKey_.data(), hash);
        growGently(parent_);
        growGently(pushes_);
        parent_.push_back(entry);
        pushes_.push_back(pathPushes);
        if (estimate == 0) {
            solved_ = child;
            return true;
        }
        queue(child, childKey_.data(), estimate);
    }
    return false;
}

void AnySearch::route(std::uint32_t solved, std::vector<SolutionStep>& pushes) const {
    const std::size_t before = pushes.size();
    for (std::uint32_t entry = solved; parent_[entry] != NONE; entry = parent_[entry]) {
        pushes.push_back(pushBetween(level_, store_.key(parent_[entry]), store_.key(entry)));
    }
    std::reverse(pushes.begin() + static_cast<std::ptrdiff_t>(before), pushes.end());
}

AnySearch::Outcome AnySearch::run(const std::uint64_t* startKey, bool startTrapped,
                                  std::vector<SolutionStep>& pushes) {
    SolveStats& stats = control_.stats();
    // 1. The start, unless it cannot be solved.
    const std::int32_t estimate = bound_.estimate(startKey);
    if (estimate == LowerBound::DEAD) {
        return NO_ROUTE;
    }
    const std::uint32_t start =
        store_.insert(startKey, PositionStore::hashOf(startKey, level_.keyWords));
    parent_.push_back(NONE);
    pushes_.push_back(0);
    const std::int32_t player = level_.playerFloor(startKey);
    if (player != NO_FLOOR) {
        corrals_.measureArea(startKey, player);
    }
    queue(start, startKey, estimate);
    // 2. Position after position, as the queue gives them, until a push solves the level.
    const SolveProgress progress;
    for (std::uint64_t expanded = 0;; ++expanded) {
        if (control_.stopRequested(progress)) {
            return STOPPED;
        }
        if (settings_.expansionLimit != 0 && expanded == settings_.expansionLimit) {
            return GAVE_UP;
        }
        const std::uint32_t entry = queue_.pop();
        if (entry == NONE) {
            return NO_ROUTE;
        }
        const bool solved = expand(entry, startTrapped && entry == start);
        ++stats.nodesExpanded;
        stats.statesStored = std::max<std::uint64_t>(stats.statesStored, store_.size());
        stats.pushesTried  = generator_.pushesTried();
        control_.checkMemory(memoryBytes(), store_.size());
        if (solved) {
            route(solved_, pushes);
            return FOUND;
        }
    }
}

std::uint64_t AnySearch::memoryBytes() const {
    return store_.memoryBytes() + parent_.capacity() * sizeof(std::uint32_t) +
           pushes_.capacity() * sizeof(std::uint16_t) + queue_.memoryBytes() +
           generator_.memoryBytes() + bound_.memoryBytes() + loneBoxes_.memoryBytes() +
           subsets_.memoryBytes() + corrals_.memoryBytes() + assignment_.memoryBytes() +
           corralDeadlocks_.memoryBytes() + order_.memoryBytes();
}

} // namespace goalbox
