#include "solver/any/RouteImprover.h"

#include <algorithm>
#include <cstddef>

#include "solver/positions/CountedBuckets.h"
#include "solver/positions/PushBetween.h"

namespace goalbox {

RouteImprover::RouteImprover(const StaticLevel& level, PushGenerator& generator)
    : level_(level), generator_(generator), store_(level.keyWords),
      key_(static_cast<std::size_t>(level.keyWords)),
      child_(static_cast<std::size_t>(level.keyWords)) {}

void RouteImprover::replay(const Board& start, const std::vector<SolutionStep>& pushes) {
    const auto words = static_cast<std::size_t>(level_.keyWords);
    Board board      = start;
    keys_.resize((pushes.size() + 1) * words);
    steps_.assign(1, 0);
    level_.keyOf(board, keys_.data());
    for (std::size_t i = 0; i < pushes.size(); ++i) {
        board.steps             = 0;
        const std::int16_t walk = board.jumpTo(pushes[i].cell);
        board.move(pushes[i].direction);
        steps_.push_back(steps_.back() + walk + 1);
        level_.keyOf(board, &keys_[(i + 1) * words]);
    }
}

// A way from the route's position first to its position last in fewer steps than the route's,
// into replacement; false when the search finds none within its positions.
bool RouteImprover::shortcut(std::size_t first, std::size_t last, bool trapped,
                             std::vector<SolutionStep>& replacement) {
    const auto words            = static_cast<std::size_t>(level_.keyWords);
    const std::uint64_t* source = &keys_[first * words];
    const std::uint64_t* target = &keys_[last * words];
    const std::int32_t budget   = steps_[last] - steps_[first];
    store_                      = PositionStore(level_.keyWords);
    reached_.assign(1, 0);
    parent_.assign(1, PositionStore::NONE);
    store_.insert(source, PositionStore::hashOf(source, level_.keyWords));
    buckets_.assign(static_cast<std::size_t>(budget), {});
    buckets_[0].push_back(0);
    std::uint32_t expanded = 0;
    // Dijkstra's search by buckets of steps, below the route's steps.
    for (std::size_t steps = 0; steps < buckets_.size(); ++steps) {
        for (std::size_t at = 0; at < buckets_[steps].size(); ++at) {
            const std::uint32_t entry = buckets_[steps][at];
            if (static_cast<std::size_t>(reached_[entry]) != steps) {
                continue; // reached more cheaply since
            }
            std::copy(store_.key(entry), store_.key(entry) + words, key_.begin());
            if (std::equal(key_.begin(), key_.end(), target)) {
                // The pushes back from the target, turned around.
                replacement.clear();
                for (std::uint32_t e = entry; parent_[e] != PositionStore::NONE; e = parent_[e]) {
                    replacement.push_back(
                        pushBetween(level_, store_.key(parent_[e]), store_.key(e)));
                }
                std::reverse(replacement.begin(), replacement.end());
                return true;
            }
            ++expanded_;
            if (++expanded > POSITIONS_PER_WINDOW) {
                return false;
            }
            generator_.setPosition(key_.data());
            generator_.generate(trapped && entry == 0, generated_);
            for (const Push& push : generated_) {
                const auto reach = static_cast<std::int32_t>(steps) + push.cost;
                if (reach >= budget) {
                    continue;
                }
                std::copy(key_.begin(), key_.end(), child_.begin());
                level_.applyPush(child_.data(), push.from, push.to);
                const std::uint64_t hash = PositionStore::hashOf(child_.data(), level_.keyWords);
                std::uint32_t child      = store_.find(child_.data(), hash);
                if (child == PositionStore::NONE) {
                    child = store_.insert(child_.data(), hash);
                    reached_.push_back(reach);
                    parent_.push_back(entry);
                } else if (reach < reached_[child]) {
                    reached_[child] = reach;
                    parent_[child]  = entry;
                } else {
                    continue;
                }
                buckets_[static_cast<std::size_t>(reach)].push_back(child);
            }
        }
        Bucket().swap(buckets_[steps]);
    }
    return false;
}

void RouteImprover::improve(const Board& start, bool startTrapped,
                            std::vector<SolutionStep>& pushes) {
    std::vector<SolutionStep> replacement;
    for (std::int32_t pass = 0; pass < PASSES; ++pass) {
        bool improved = false;
        replay(start, pushes);
        for (std::size_t first = 0; first + 1 < pushes.size(); first += WINDOW / 2) {
            if (expanded_ >= POSITIONS) {
                return;
            }
            const std::size_t last = std::min(first + WINDOW, pushes.size());
            if (!shortcut(first, last, startTrapped && first == 0, replacement)) {
                continue;
            }
            pushes.erase(pushes.begin() + static_cast<std::ptrdiff_t>(first),
                         pushes.begin() + static_cast<std::ptrdiff_t>(last));
            pushes.insert(pushes.begin() + static_cast<std::ptrdiff_t>(first), replacement.begin(),
                          replacement.end());
            replay(start, pushes);
            improved = true;
        }
        if (!improved) {
            return;
        }
    }
}

} // namespace goalbox
