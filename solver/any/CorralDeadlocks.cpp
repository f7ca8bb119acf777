#include "solver/any/CorralDeadlocks.h"

#include <algorithm>
#include <cstddef>

namespace goalbox {

CorralDeadlocks::CorralDeadlocks(const StaticLevel& level, const LowerBound& bound,
                                 const LoneBoxes& loneBoxes, const Board& start)
    : level_(level), bound_(bound), loneBoxes_(loneBoxes), generator_(start, level),
      frozenBoxes_(level, bound), area_(level, start.boxCount), verdictKeys_(level.keyWords),
      seen_(level.keyWords), fenceKey_(static_cast<std::size_t>(level.keyWords)),
      child_(static_cast<std::size_t>(level.keyWords)) {}

bool CorralDeadlocks::isDead(const std::uint64_t* key, const Corrals& corrals) {
    const std::int32_t player = level_.playerFloor(key);
    if (player == NO_FLOOR) {
        return false;
    }
    const std::int32_t parts = std::min(corrals.partCount(), MAX_PARTS_TRIED);
    for (std::int32_t part = 0; part < parts; ++part) {
        corrals.fence(key, part, fence_);
        const bool offGoal = std::any_of(fence_.begin(), fence_.end(), [this](std::int32_t box) {
            return level_.goal[static_cast<std::size_t>(
                       level_.floorCells[static_cast<std::size_t>(box)])] == 0;
        });
        if (!offGoal || fence_.empty() || fence_.size() > MAX_FENCE) {
            continue; // nothing to bring onto goals, or too large a search
        }
        corral_.clear();
        for (std::int32_t f = 0; f < level_.floorCount; ++f) {
            if (corrals.partOf(f) == part) {
                corral_.push_back(f);
            }
        }
        // The fence alone, the player where it stands.
        std::fill(fenceKey_.begin(), fenceKey_.end(), 0);
        for (const std::int32_t box : fence_) {
            fenceKey_[static_cast<std::size_t>(box / 64)] |= std::uint64_t{1} << (box % 64);
        }
        level_.setPlayer(fenceKey_.data(), level_.floorCells[static_cast<std::size_t>(player)]);
        if (fenceIsDead(fenceKey_.data(), player)) {
            return true;
        }
    }
    return false;
}

// Whether in the position of key the player, on floor cell player, can walk into the corral,
// or every box stands on a goal; lowest gets the lowest floor cell of the player's area.
bool CorralDeadlocks::opensOrSolves(const std::uint64_t* key, std::int32_t player,
                                    std::int32_t& lowest) {
    lowest = area_.measureArea(key, player);
    for (const std::int32_t cell : corral_) {
        if (area_.inArea(cell)) {
            return true;
        }
    }
    bool allOnGoals = true;
    level_.forEachBox(key, [&](std::int32_t box) {
        allOnGoals = allOnGoals && level_.goal[static_cast<std::size_t>(
                                       level_.floorCells[static_cast<std::size_t>(box)])] != 0;
    });
    return allOnGoals;
}

bool CorralDeadlocks::fenceIsDead(const std::uint64_t* key, std::int32_t player) {
    const auto words  = static_cast<std::size_t>(level_.keyWords);
    const auto lowest = area_.measureArea(key, player);
    std::copy(key, key + words, child_.begin());
    level_.setPlayer(child_.data(), level_.floorCells[static_cast<std::size_t>(lowest)]);
    // 1. A verdict kept for this fence position.
    const std::uint64_t rootHash = PositionStore::hashOf(child_.data(), level_.keyWords);
    if (const std::uint32_t kept = verdictKeys_.find(child_.data(), rootHash);
        kept != PositionStore::NONE) {
        return verdicts_[kept] != 0;
    }
    // 2. The search, breadth first.
    seen_ = PositionStore(level_.keyWords);
    seen_.insert(child_.data(), rootHash);
    queue_.assign(child_.begin(), child_.end());
    bool dead = true;
    for (std::size_t head = 0; head < queue_.size() && dead; head += words) {
        if (seen_.size() > SEARCH_POSITIONS) {
            dead = false; // gave up: nothing is known
            break;
        }
        const std::vector<std::uint64_t> position(
            queue_.begin() + static_cast<std::ptrdiff_t>(head),
            queue_.begin() + static_cast<std::ptrdiff_t>(head + words));
        generator_.setPosition(position.data());
        generator_.generate(head == 0, pushes_);
        for (const Push& push : pushes_) {
            std::copy(position.begin(), position.end(), child_.begin());
            level_.applyPush(child_.data(), push.from, push.to);
            const std::int32_t to   = level_.floorIndex[static_cast<std::size_t>(push.to)];
            const std::int32_t from = level_.floorIndex[static_cast<std::size_t>(push.from)];
            if (bound_.nearestPushes(to) == LowerBound::DEAD ||
                !loneBoxes_.canReachGoal(to, from) ||
                frozenBoxes_.isFrozenOffGoal(child_.data(), push.to)) {
                continue;
            }
            std::int32_t area = NO_FLOOR;
            if (opensOrSolves(child_.data(), from, area)) {
                dead = false;
                break;
            }
            level_.setPlayer(child_.data(), level_.floorCells[static_cast<std::size_t>(area)]);
            const std::uint64_t hash = PositionStore::hashOf(child_.data(), level_.keyWords);
            if (seen_.find(child_.data(), hash) == PositionStore::NONE) {
                seen_.insert(child_.data(), hash);
                queue_.insert(queue_.end(), child_.begin(), child_.end());
            }
        }
    }
    // 3. Kept, in a table that starts afresh when full.
    if (verdictKeys_.size() >= KEPT_VERDICTS) {
        verdictKeys_ = PositionStore(level_.keyWords);
        verdicts_.clear();
    }
    std::copy(key, key + words, child_.begin());
    level_.setPlayer(child_.data(), level_.floorCells[static_cast<std::size_t>(lowest)]);
    verdictKeys_.insert(child_.data(), rootHash);
    verdicts_.push_back(dead ? 1 : 0);
    return dead;
}

std::uint64_t CorralDeadlocks::memoryBytes() const {
    return generator_.memoryBytes() + area_.memoryBytes() + verdictKeys_.memoryBytes() +
           verdicts_.capacity() + seen_.memoryBytes() +
           (queue_.capacity() + fenceKey_.capacity() + child_.capacity()) * sizeof(std::uint64_t);
}

} // namespace goalbox
