#include "solver/any/PackingOrder.h"

#include <algorithm>
#include <cstddef>

namespace goalbox {

PackingOrder::PackingOrder(const StaticLevel& level, const std::uint64_t* startKey,
                           std::int32_t boxCount)
    : level_(level), startBox_(static_cast<std::size_t>(level.floorCount), 0) {
    const auto floors = static_cast<std::size_t>(level.floorCount);
    std::vector<std::int32_t> goals;
    for (std::int32_t f = 0; f < level.floorCount; ++f) {
        startBox_[static_cast<std::size_t>(f)] = level.hasBox(startKey, f) ? 1 : 0;
        if (level.isGoalFloor(f)) {
            goals.push_back(f);
        }
    }
    if (goals.empty() || static_cast<std::int32_t>(goals.size()) != boxCount) {
        return;
    }
    // 1. Backward from the full goals: each time the goal whose box comes out in the fewest
    //    moves is filled last of those left (back to a start cell where any can, else off the
    //    goals).
    seen_.assign(floors * floors, 0);
    std::vector<std::uint8_t> blocked(floors, 0);
    for (const std::int32_t goal : goals) {
        blocked[static_cast<std::size_t>(goal)] = 1;
    }
    std::vector<std::int32_t> left = goals;
    std::vector<std::int32_t> removed;
    while (!left.empty()) {
        std::size_t best       = left.size();
        std::int32_t bestMoves = -1;
        for (const bool anyCell : {false, true}) {
            for (std::size_t i = 0; i < left.size(); ++i) {
                blocked[static_cast<std::size_t>(left[i])] = 0;
                const std::int32_t moves = pullOutMoves(left[i], blocked, anyCell);
                blocked[static_cast<std::size_t>(left[i])] = 1;
                if (moves != -1 && (bestMoves == -1 || moves < bestMoves)) {
                    bestMoves = moves;
                    best      = i;
                }
            }
            if (best != left.size()) {
                break;
            }
        }
        if (best == left.size()) {
            return; // no box comes out: no order
        }
        blocked[static_cast<std::size_t>(left[best])] = 0;
        removed.push_back(left[best]);
        left.erase(left.begin() + static_cast<std::ptrdiff_t>(best));
    }
    order_.assign(removed.rbegin(), removed.rend());
    groupByRooms();
    seen_.clear();
    seen_.shrink_to_fit();
    measureNextPushes();
    usable_ = true;
}

// The moves (walk steps and pulls) that bring the box on goal to a cell where a box starts (or,
// with anyCell, to any cell off the goals), pulling it with the player from any cell beside it,
// the cells of blocked standing for walls; -1 when it cannot get there.
std::int32_t PackingOrder::pullOutMoves(std::int32_t goal, const std::vector<std::uint8_t>& blocked,
                                        bool anyCell) {
    if (startBox_[static_cast<std::size_t>(goal)] != 0) {
        return 0;
    }
    const auto isTarget = [&](std::int32_t floor) {
        return startBox_[static_cast<std::size_t>(floor)] != 0 ||
               (anyCell && !level_.isGoalFloor(floor));
    };
    const auto floors = static_cast<std::size_t>(level_.floorCount);
    if (++stamp_ == 0) {
        std::fill(seen_.begin(), seen_.end(), 0);
        stamp_ = 1;
    }
    const auto isFree = [&](std::int32_t floor, std::int32_t box) {
        return floor != NO_FLOOR && floor != box && blocked[static_cast<std::size_t>(floor)] == 0;
    };
    const auto visit = [&](std::int32_t box, std::int32_t player) {
        std::uint32_t& mark =
            seen_[static_cast<std::size_t>(box) * floors + static_cast<std::size_t>(player)];
        if (mark == stamp_) {
            return;
        }
        mark = stamp_;
        queue_.push_back(box * level_.floorCount + player);
    };
    queue_.clear();
    for (std::int32_t dir = 0; dir < DIR_COUNT; ++dir) {
        const std::int32_t player = neighbour(goal, dir);
        if (isFree(player, goal)) {
            visit(goal, player);
        }
    }
    std::size_t head = 0;
    for (std::int32_t moves = 1; head < queue_.size(); ++moves) {
        const std::size_t layerEnd = queue_.size();
        for (; head < layerEnd; ++head) {
            const std::int32_t box    = queue_[head] / level_.floorCount;
            const std::int32_t player = queue_[head] % level_.floorCount;
            for (std::int32_t dir = 0; dir < DIR_COUNT; ++dir) {
                const std::int32_t next = neighbour(player, dir);
                if (!isFree(next, box)) {
                    continue;
                }
                visit(box, next); // a walk step
                if (neighbour(box, dir) == player) {
                    // A pull: the player steps on away from the box, which follows.
                    if (isTarget(player)) {
                        return moves;
                    }
                    visit(player, next);
                }
            }
        }
    }
    return -1;
}

// Groups of goals next to each other, each with the order of its own goals: goals apart from
// each other can be filled in any order, those of one room only in the order worked out.
void PackingOrder::groupByRooms() {
    std::vector<std::int32_t> group(static_cast<std::size_t>(level_.floorCount), -1);
    std::vector<std::uint8_t> isGoal(static_cast<std::size_t>(level_.floorCount), 0);
    for (const std::int32_t goal : order_) {
        isGoal[static_cast<std::size_t>(goal)] = 1;
    }
    std::int32_t groups = 0;
    for (const std::int32_t first : order_) {
        if (group[static_cast<std::size_t>(first)] != -1) {
            continue;
        }
        group[static_cast<std::size_t>(first)] = groups;
        queue_.assign(1, first);
        for (std::size_t head = 0; head < queue_.size(); ++head) {
            for (std::int32_t dir = 0; dir < DIR_COUNT; ++dir) {
                const std::int32_t next = neighbour(queue_[head], dir);
                if (next != NO_FLOOR && isGoal[static_cast<std::size_t>(next)] != 0 &&
                    group[static_cast<std::size_t>(next)] == -1) {
                    group[static_cast<std::size_t>(next)] = groups;
                    queue_.push_back(next);
                }
            }
        }
        ++groups;
    }
    std::stable_sort(order_.begin(), order_.end(), [&group](std::int32_t a, std::int32_t b) {
        return group[static_cast<std::size_t>(a)] < group[static_cast<std::size_t>(b)];
    });
    groupEnds_.clear();
    for (std::size_t k = 0; k < order_.size(); ++k) {
        if (k + 1 == order_.size() || group[static_cast<std::size_t>(order_[k])] !=
                                          group[static_cast<std::size_t>(order_[k + 1])]) {
            groupEnds_.push_back(k + 1);
        }
    }
}

// The pushes onto each goal of the order with the goals before it in its group as walls: a search
// backward over pushes that moves no box over those goals and stands the player on none of them.
void PackingOrder::measureNextPushes() {
    const auto floors = static_cast<std::size_t>(level_.floorCount);
    nextPushes_.assign(order_.size() * floors, NO_PATH);
    std::vector<std::uint8_t> walls(floors, 0);
    queue_.resize(floors);
    for (std::size_t k = 0; k < order_.size(); ++k) {
        std::uint16_t* pushes = &nextPushes_[k * floors];
        pushes[order_[k]]     = 0;
        queue_[0]             = order_[k];
        std::size_t head      = 0;
        std::size_t tail      = 1;
        while (head < tail) {
            const std::int32_t to = queue_[head++];
            for (std::int32_t dir = 0; dir < DIR_COUNT; ++dir) {
                const std::int32_t back = DIR_COUNT - 1 - dir;
                const std::int32_t from = neighbour(to, back);
                if (from == NO_FLOOR || pushes[from] != NO_PATH ||
                    walls[static_cast<std::size_t>(from)] != 0 ||
                    !level_.isPushable(level_.floorCells[static_cast<std::size_t>(from)], dir)) {
                    continue;
                }
                if (walls[static_cast<std::size_t>(neighbour(from, back))] != 0) {
                    continue; // the player would stand on a filled goal
                }
                pushes[from]   = static_cast<std::uint16_t>(pushes[to] + 1);
                queue_[tail++] = from;
            }
        }
        walls[static_cast<std::size_t>(order_[k])] = 1;
        if (std::find(groupEnds_.begin(), groupEnds_.end(), k + 1) != groupEnds_.end()) {
            std::fill(walls.begin(), walls.end(), 0); // the next group starts afresh
        }
    }
}

std::int32_t PackingOrder::nextOf(const std::uint64_t* key, std::int32_t group) const {
    const std::size_t end = groupEnds_[static_cast<std::size_t>(group)];
    std::size_t next      = groupBegin(group);
    while (next < end && level_.hasBox(key, order_[next])) {
        ++next;
    }
    return next < end ? static_cast<std::int32_t>(next) : -1;
}

PackingOrder::Guide PackingOrder::guide(const std::uint64_t* key) const {
    const auto floors     = static_cast<std::size_t>(level_.floorCount);
    std::uint16_t nearest = NO_PATH;
    Guide guide{0, BLOCKED, NO_FLOOR, -1};
    for (std::int32_t group = 0; group < groupCount(); ++group) {
        const auto begin        = static_cast<std::int32_t>(groupBegin(group));
        const std::int32_t next = nextOf(key, group);
        if (next == -1) {
            guide.packed +=
                static_cast<std::int32_t>(groupEnds_[static_cast<std::size_t>(group)]) - begin;
            continue;
        }
        guide.packed += next - begin;
        // The boxes of the group's prefix stand on walls of this table: NO_PATH.
        const std::uint16_t* pushes = &nextPushes_[static_cast<std::size_t>(next) * floors];
        level_.forEachBox(key, [&](std::int32_t floor) {
            if (pushes[floor] < nearest) {
                nearest    = pushes[floor];
                guide.box  = floor;
                guide.next = next;
            }
        });
    }
    if (guide.packed == goalCount()) {
        return Guide{guide.packed, 0, NO_FLOOR, -1};
    }
    if (nearest != NO_PATH) {
        guide.nextPushes = static_cast<std::int32_t>(nearest);
    }
    return guide;
}

std::int32_t PackingOrder::obstacles(const std::uint64_t* key, const Guide& guide) const {
    if (guide.box == NO_FLOOR) {
        return 0;
    }
    const std::int32_t k   = guide.next;
    std::int32_t obstacles = 0;
    for (std::int32_t at = guide.box; pushesTo(k, at) > 0;) {
        const std::int32_t left = pushesTo(k, at);
        std::int32_t step       = NO_FLOOR;
        for (std::int32_t dir = 0; dir < DIR_COUNT && step == NO_FLOOR; ++dir) {
            const std::int32_t to = neighbour(at, dir);
            if (to != NO_FLOOR && pushesTo(k, to) == left - 1 &&
                level_.isPushable(level_.floorCells[static_cast<std::size_t>(at)], dir)) {
                step                     = to;
                const std::int32_t stand = neighbour(at, DIR_COUNT - 1 - dir);
                obstacles += (level_.hasBox(key, to) ? 1 : 0) +
                             (stand != guide.box && level_.hasBox(key, stand) ? 1 : 0);
            }
        }
        if (step == NO_FLOOR) {
            break;
        }
        at = step;
    }
    return obstacles;
}

std::uint64_t PackingOrder::memoryBytes() const {
    return nextPushes_.capacity() * sizeof(std::uint16_t) + startBox_.capacity() +
           order_.capacity() * sizeof(std::int32_t) + queue_.capacity() * sizeof(std::int32_t) +
           groupEnds_.capacity() * sizeof(std::size_t);
}

} // namespace goalbox
