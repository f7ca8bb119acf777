#include "solver/any/AnySearch.h"

#include <algorithm>
#include <cstddef>

#include "solver/bounds/DeadBound.h"
#include "solver/positions/GentleGrowth.h"

namespace goalbox {

namespace {

// Queue cells per count of goals packed: the corrals beside the player's area, up to this
// many less one.
constexpr std::int32_t CORRAL_CELLS = 8;

} // namespace

AnySearch::AnySearch(const StaticLevel& level, LowerBound& bound, const BoxSubsets& subsets,
                     const LoneBoxes& loneBoxes, const PackingOrder& order, const EndTable& ends,
                     const PullSearch* pull, PushGenerator& generator, SolveControl& control,
                     const AnySettings& settings)
    : level_(level), bound_(bound), subsets_(subsets), loneBoxes_(loneBoxes), order_(order),
      ends_(ends), pull_(pull), generator_(generator), control_(control), settings_(settings),
      frozenBoxes_(level, bound), corrals_(level, generator.board().boxCount),
      assignment_(level, bound), corralDeadlocks_(level, bound, loneBoxes, generator.board()),
      store_(level.keyWords), meetKey_(static_cast<std::size_t>(level.keyWords)),
      macro_(level, order, generator.board().boxCount),
      parentKey_(static_cast<std::size_t>(level.keyWords)),
      childKey_(static_cast<std::size_t>(level.keyWords)),
      macroKey_(static_cast<std::size_t>(level.keyWords)) {}

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

// The dead tests of the position of key after push (the player on the cell the box left).
bool AnySearch::isDeadAfterPush(const Push& push, const std::uint64_t* key) {
    const std::int32_t to   = level_.floorIndex[static_cast<std::size_t>(push.to)];
    const std::int32_t from = level_.floorIndex[static_cast<std::size_t>(push.from)];
    return bound_.nearestPushes(to) == BOUND_DEAD || !loneBoxes_.canReachGoal(to, from) ||
           frozenBoxes_.isFrozenOffGoal(key, push.to) || subsets_.isDeadAfterPush(key, to, from);
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
        if (settings_.obstacleWeight != 0) {
            priority += std::int64_t{order_.obstacles(key, guide)} * settings_.obstacleWeight;
        }
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

bool AnySearch::add(std::uint32_t entry, const std::uint64_t* key, std::int32_t from,
                    std::int32_t to, std::uint16_t pushes) {
    const std::uint64_t hash = PositionStore::hashOf(key, level_.keyWords);
    if (store_.find(key, hash) != NONE) {
        return false;
    }
    const std::int32_t estimate = assignment_.afterPush(from, to);
    if (estimate == BOUND_DEAD) {
        return false;
    }
    const std::uint32_t child = store_.insert(key, hash);
    growGently(parent_);
    growGently(pushes_);
    parent_.push_back(entry);
    pushes_.push_back(pushes);
    if (estimate == 0 || meeting_ || meetPull_ != PullSearch::NONE) {
        solved_ = child;
        return true;
    }
    queue(child, key, estimate);
    return false;
}

bool AnySearch::settle(const Push& push, std::uint64_t* key) {
    meeting_  = false;
    meetPull_ = PullSearch::NONE;
    if (isDeadAfterPush(push, key)) {
        return false;
    }
    if (ends_.radius() >= 0) {
        const std::int32_t steps = ends_.bound(key);
        if (steps == BOUND_DEAD) {
            return false;
        }
        if (steps > 0 && steps <= ends_.radius()) {
            meeting_ = true;
            std::copy(key, key + level_.keyWords, meetKey_.begin());
        }
    }
    const std::int32_t from = level_.floorIndex[static_cast<std::size_t>(push.from)];
    level_.setPlayer(key,
                     level_.floorCells[static_cast<std::size_t>(corrals_.measureArea(key, from))]);
    if (pull_ != nullptr && !meeting_) {
        meetPull_ = pull_->find(key);
    }
    return true;
}

bool AnySearch::pushed(const Push& push) {
    std::copy(parentKey_.begin(), parentKey_.end(), childKey_.begin());
    level_.applyPush(childKey_.data(), push.from, push.to);
    return settle(push, childKey_.data());
}

bool AnySearch::advised(GoalMove& move) {
    const std::int32_t player = level_.playerFloor(parentKey_.data());
    if (player == NO_FLOOR) {
        return false;
    }
    move.begin        = static_cast<std::uint32_t>(macroSteps_.size());
    std::int32_t last = NO_FLOOR;
    move.goal         = macro_.advise(parentKey_.data(), player, &move.box, macroSteps_, &last);
    if (move.goal == NO_FLOOR) {
        return false;
    }
    std::copy(parentKey_.begin(), parentKey_.end(), macroKey_.begin());
    const CellIndex goal = level_.floorCells[static_cast<std::size_t>(move.goal)];
    level_.applyPush(macroKey_.data(), level_.floorCells[static_cast<std::size_t>(move.box)], goal);
    // The player ends on the cell the box left last.
    const Push lastPush{level_.floorCells[static_cast<std::size_t>(last)], goal, DIR_RIGHT, 0};
    if (!settle(lastPush, macroKey_.data())) {
        macroSteps_.resize(move.begin);
        return false;
    }
    return true;
}

bool AnySearch::addMacro(std::uint32_t entry, const GoalMove& move) {
    const std::uint32_t next = store_.size();
    const auto pushes        = static_cast<std::uint16_t>(
        std::min<std::size_t>(pushes_[entry] + macroSteps_.size() - move.begin, 0xFFFF));
    const bool solved = add(entry, macroKey_.data(), move.box, move.goal, pushes);
    if (store_.size() > next) {
        macroEntries_.emplace_back(next, move.begin);
    } else {
        macroSteps_.resize(move.begin);
    }
    return solved;
}

// Generates the pushes of entry and queues every new position after them that can still be
// solved, and the position after a goal move (GoalMacro). True when one of them is solved.
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
        if (!pushed(push)) {
            continue;
        }
        const std::int32_t from = level_.floorIndex[static_cast<std::size_t>(push.from)];
        const std::int32_t to   = level_.floorIndex[static_cast<std::size_t>(push.to)];
        if (add(entry, childKey_.data(), from, to, pathPushes)) {
            return true;
        }
    }
    GoalMove move;
    return settings_.advice && !generated_.empty() && advised(move) && addMacro(entry, move);
}

void AnySearch::route(std::uint32_t solved, std::vector<SolutionStep>& pushes) const {
    const std::size_t before = pushes.size();
    for (std::uint32_t entry = solved; parent_[entry] != NONE; entry = parent_[entry]) {
        const auto macro = std::lower_bound(macroEntries_.begin(), macroEntries_.end(), entry,
                                            [](const std::pair<std::uint32_t, std::uint32_t>& m,
                                               std::uint32_t e) { return m.first < e; });
        if (macro == macroEntries_.end() || macro->first != entry) {
            pushes.push_back(level_.pushBetween(store_.key(parent_[entry]), store_.key(entry)));
            continue;
        }
        const std::size_t end =
            macro + 1 == macroEntries_.end() ? macroSteps_.size() : (macro + 1)->second;
        for (std::size_t step = end; step > macro->second; --step) {
            pushes.push_back(macroSteps_[step - 1]);
        }
    }
    std::reverse(pushes.begin() + static_cast<std::ptrdiff_t>(before), pushes.end());
}

void AnySearch::finishByTable(std::vector<SolutionStep>& pushes) {
    std::int32_t steps = ends_.bound(meetKey_.data());
    while (steps > 0) {
        generator_.setPosition(meetKey_.data());
        generator_.generate(false, generated_);
        std::int32_t nearest = steps;
        for (const Push& push : generated_) {
            std::copy(meetKey_.begin(), meetKey_.end(), childKey_.begin());
            level_.applyPush(childKey_.data(), push.from, push.to);
            const std::int32_t after = ends_.bound(childKey_.data());
            if (after < nearest) {
                nearest = after;
                std::copy(childKey_.begin(), childKey_.end(), parentKey_.begin());
            }
        }
        if (nearest == steps) {
            return; // not for a position the table holds; the replay would refuse the route
        }
        pushes.push_back(level_.pushBetween(meetKey_.data(), parentKey_.data()));
        meetKey_ = parentKey_;
        steps    = nearest;
    }
}

AnySearch::Outcome AnySearch::run(const std::uint64_t* startKey, bool startTrapped,
                                  std::vector<SolutionStep>& pushes) {
    SolveStats& stats = control_.stats();
    // 1. The start, unless it cannot be solved.
    const std::int32_t estimate = bound_.estimate(startKey);
    if (estimate == BOUND_DEAD) {
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
        control_.checkMemory(memoryBytes(), store_.size() + ends_.size());
        if (solved) {
            route(solved_, pushes);
            if (meeting_) {
                finishByTable(pushes);
            } else if (meetPull_ != PullSearch::NONE) {
                pull_->route(meetPull_, pushes);
            }
            return FOUND;
        }
    }
}

std::uint64_t AnySearch::memoryBytes() const {
    return store_.memoryBytes() + parent_.capacity() * sizeof(std::uint32_t) +
           pushes_.capacity() * sizeof(std::uint16_t) + queue_.memoryBytes() +
           generator_.memoryBytes() + bound_.memoryBytes() + loneBoxes_.memoryBytes() +
           subsets_.memoryBytes() + corrals_.memoryBytes() + assignment_.memoryBytes() +
           corralDeadlocks_.memoryBytes() + order_.memoryBytes() + macro_.memoryBytes() +
           ends_.memoryBytes() + (pull_ != nullptr ? pull_->memoryBytes() : 0) +
           macroEntries_.capacity() * sizeof(macroEntries_[0]) +
           macroSteps_.capacity() * sizeof(SolutionStep);
}

} // namespace goalbox
