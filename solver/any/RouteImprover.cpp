#include "solver/any/RouteImprover.h"

#include <algorithm>
#include <cstddef>

#include "solver/positions/CountedBuckets.h"

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

// The push counts between floor cells on the empty board, for every target cell a search
// backward over pushes.
void RouteImprover::measurePushes() {
    const auto floors = static_cast<std::size_t>(level_.floorCount);
    pushesBetween_.assign(floors * floors, NO_PATH);
    std::vector<std::int32_t> queue(floors);
    for (std::size_t target = 0; target < floors; ++target) {
        std::uint16_t* pushes = &pushesBetween_[target * floors];
        pushes[target]        = 0;
        queue[0]              = static_cast<std::int32_t>(target);
        std::size_t tail      = 1;
        for (std::size_t head = 0; head < tail; ++head) {
            const std::int32_t to = queue[head];
            for (std::int32_t dir = 0; dir < DIR_COUNT; ++dir) {
                const std::int32_t from =
                    level_.floorNeighbours[static_cast<std::size_t>(to) * DIR_COUNT +
                                           static_cast<std::size_t>(DIR_COUNT - 1 - dir)];
                if (from != NO_FLOOR && pushes[from] == NO_PATH &&
                    level_.isPushable(level_.floorCells[static_cast<std::size_t>(from)], dir)) {
                    pushes[from]  = static_cast<std::uint16_t>(pushes[to] + 1);
                    queue[tail++] = from;
                }
            }
        }
    }
}

// Starts a window's search at source: the pushes from every floor cell onto the nearest box
// cell of target, and the store holding source alone. Returns source's estimate, or -1 when
// even that reaches the route's steps.
std::int32_t RouteImprover::startWindow(const std::uint64_t* source, const std::uint64_t* target,
                                        std::int32_t budget) {
    const auto floors = static_cast<std::size_t>(level_.floorCount);
    nearest_.assign(floors, NO_PATH);
    level_.forEachBox(target, [&](std::int32_t box) {
        const std::uint16_t* pushes = &pushesBetween_[static_cast<std::size_t>(box) * floors];
        for (std::size_t f = 0; f < floors; ++f) {
            nearest_[f] = std::min(nearest_[f], pushes[f]);
        }
    });
    std::int32_t estimate = 0;
    level_.forEachBox(
        source, [&](std::int32_t box) { estimate += nearest_[static_cast<std::size_t>(box)]; });
    if (estimate >= budget) {
        return -1;
    }
    store_ = PositionStore(level_.keyWords);
    reached_.assign(1, 0);
    estimate_.assign(1, estimate);
    parent_.assign(1, PositionStore::NONE);
    store_.insert(source, PositionStore::hashOf(source, level_.keyWords));
    buckets_.assign(static_cast<std::size_t>(budget), {});
    buckets_[static_cast<std::size_t>(estimate)].push_back(0);
    return estimate;
}

// The positions after the pushes of entry (its key in key_) whose steps plus estimate stay
// below budget and that are new or reached more cheaply, into their buckets.
void RouteImprover::addChildren(std::uint32_t entry, bool trapped, std::int32_t budget) {
    generator_.setPosition(key_.data());
    generator_.generate(trapped && entry == 0, generated_);
    for (const Push& push : generated_) {
        const std::int32_t from  = level_.floorIndex[static_cast<std::size_t>(push.from)];
        const std::int32_t to    = level_.floorIndex[static_cast<std::size_t>(push.to)];
        const std::uint16_t gone = nearest_[static_cast<std::size_t>(from)];
        const std::uint16_t come = nearest_[static_cast<std::size_t>(to)];
        if (come == NO_PATH) {
            continue;
        }
        const std::int32_t reach    = reached_[entry] + push.cost;
        const std::int32_t estimate = estimate_[entry] - gone + come;
        if (reach + estimate >= budget) {
            continue;
        }
        std::copy(key_.begin(), key_.end(), child_.begin());
        level_.applyPush(child_.data(), push.from, push.to);
        const std::uint64_t hash = PositionStore::hashOf(child_.data(), level_.keyWords);
        std::uint32_t child      = store_.find(child_.data(), hash);
        if (child == PositionStore::NONE) {
            child = store_.insert(child_.data(), hash);
            reached_.push_back(reach);
            estimate_.push_back(estimate);
            parent_.push_back(entry);
        } else if (reach < reached_[child]) {
            reached_[child] = reach;
            parent_[child]  = entry;
        } else {
            continue;
        }
        buckets_[static_cast<std::size_t>(reach + estimate)].push_back(child);
    }
}

// A way from the route's position first to its position last in fewer steps than the route's,
// into replacement; false when the search finds none within its positions. The search is by
// buckets of steps plus an estimate that never exceeds the steps still needed and drops by at
// most one per push: the pushes that bring each box onto the nearest cell of a box of the
// target, on the empty board.
bool RouteImprover::shortcut(std::size_t first, std::size_t last, bool trapped,
                             std::vector<SolutionStep>& replacement) {
    const auto words            = static_cast<std::size_t>(level_.keyWords);
    const std::uint64_t* target = &keys_[last * words];
    const std::int32_t budget   = steps_[last] - steps_[first];
    if (startWindow(&keys_[first * words], target, budget) < 0) {
        return false;
    }
    std::uint32_t expanded = 0;
    // The least steps plus estimate first, below the route's steps.
    for (std::size_t sum = 0; sum < buckets_.size(); ++sum) {
        for (std::size_t at = 0; at < buckets_[sum].size(); ++at) {
            const std::uint32_t entry = buckets_[sum][at];
            if (static_cast<std::size_t>(reached_[entry] + estimate_[entry]) != sum) {
                continue; // reached more cheaply since
            }
            std::copy(store_.key(entry), store_.key(entry) + words, key_.begin());
            if (std::equal(key_.begin(), key_.end(), target)) {
                // The pushes back from the target, turned around.
                replacement.clear();
                for (std::uint32_t e = entry; parent_[e] != PositionStore::NONE; e = parent_[e]) {
                    replacement.push_back(
                        level_.pushBetween(store_.key(parent_[e]), store_.key(e)));
                }
                std::reverse(replacement.begin(), replacement.end());
                return true;
            }
            ++expanded_;
            if (++expanded > POSITIONS_PER_WINDOW) {
                return false;
            }
            addChildren(entry, trapped, budget);
        }
        Bucket().swap(buckets_[sum]);
    }
    return false;
}

void RouteImprover::improve(const Board& start, bool startTrapped,
                            std::vector<SolutionStep>& pushes) {
    if (level_.floorCount > MAX_FLOOR) {
        return;
    }
    measurePushes();
    std::vector<SolutionStep> replacement;
    for (std::int32_t pass = 0; pass < PASSES; ++pass) {
        bool improved = false;
        replay(start, pushes);
        // Short windows and longer ones by turns: each finds what the other cannot.
        const std::size_t window = pass % 2 == 0 ? SHORT_WINDOW : LONG_WINDOW;
        for (std::size_t first = 0; first + 1 < pushes.size(); first += window / 2) {
            if (expanded_ >= POSITIONS) {
                return;
            }
            const std::size_t last = std::min(first + window, pushes.size());
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
        if (!improved && pass % 2 == 1) {
            return;
        }
    }
}

} // namespace goalbox
