#include "solver/BoxSubsets.h"

#include <algorithm>
#include <array>
#include <bit>
#include <utility>

namespace goalbox {

namespace {

constexpr std::int32_t MAX_REGIONS = 15; // bits 1 .. 15 of a set's solvable mask

} // namespace

// The sets of one size while the level is set up: their cells, the regions of the floor
// without them, and the regions from which they can be solved.
struct BoxSubsets::Sets {
    std::vector<std::int32_t> cells;     // per set, its cells in ascending order
    std::vector<std::uint8_t> regions;   // per set * floor cell: region from 1, 0 on its cells
    std::vector<std::uint16_t> solvable; // per set: bit r set when solvable from region r
    bool tooManyRegions = false;
};

std::size_t BoxSubsets::indexOf(const std::int32_t* sorted, std::int32_t size) const {
    std::size_t index = 0;
    for (std::int32_t i = 0; i < size; ++i) {
        index += binom_[static_cast<std::size_t>(sorted[i]) * 4 + static_cast<std::size_t>(i) + 1];
    }
    return index;
}

std::size_t BoxSubsets::pairIndex(std::int32_t a, std::int32_t b) const {
    const std::int32_t sorted[2] = {std::min(a, b), std::max(a, b)};
    return indexOf(sorted, 2);
}

namespace {

std::int32_t neighbour(const StaticLevel& level, std::int32_t floor, std::int32_t dir) {
    return level.floorNeighbours[static_cast<std::size_t>(floor) * DIR_COUNT +
                                 static_cast<std::size_t>(dir)];
}

bool isGoalFloor(const StaticLevel& level, std::int32_t floor) {
    return level
               .goal[static_cast<std::size_t>(level.floorCells[static_cast<std::size_t>(floor)])] !=
           0;
}

// A push of a box on floor cell x in direction dir: the grid allows it (in line, on the floor).
bool canPush(const StaticLevel& level, std::int32_t x, std::int32_t dir) {
    return level.isPushable(level.floorCells[static_cast<std::size_t>(x)], dir);
}

// Sorts the few cells of a set in place.
void sortCells(std::int32_t* cells, std::int32_t size) {
    for (std::int32_t i = 1; i < size; ++i) {
        for (std::int32_t j = i; j > 0 && cells[j - 1] > cells[j]; --j) {
            std::swap(cells[j - 1], cells[j]);
        }
    }
}

// Every set of size floor cells out of floors, in rank order (colex: the next set raises the
// lowest cell that can rise and puts the cells below it back at the bottom).
std::vector<std::int32_t> allSets(std::size_t total, std::int32_t size) {
    std::vector<std::int32_t> cells(total * static_cast<std::size_t>(size));
    std::array<std::int32_t, 3> set{0, 1, 2};
    for (std::size_t rank = 0; rank < total; ++rank) {
        std::copy(set.begin(), set.begin() + size,
                  cells.begin() +
                      static_cast<std::ptrdiff_t>(rank * static_cast<std::size_t>(size)));
        std::int32_t i = 0;
        while (i + 1 < size &&
               set[static_cast<std::size_t>(i)] + 1 == set[static_cast<std::size_t>(i) + 1]) {
            set[static_cast<std::size_t>(i)] = i;
            ++i;
        }
        ++set[static_cast<std::size_t>(i)];
    }
    return cells;
}

} // namespace

// The pair table: a breadth-first search backwards from every pair of goals (any player cell)
// over states (pair, player cell), each move undone costing one step: the player steps back
// onto a free neighbour, or pulls: a push of the box on x in direction d from the player on
// x - d leaves the box on x + d and the player on x.
void BoxSubsets::buildPairSteps() {
    const std::size_t floors              = floorCount_;
    const std::size_t pairs               = static_cast<std::size_t>(binom_[floors * 4 + 2]);
    const std::vector<std::int32_t> cells = allSets(pairs, 2);
    pairSteps_.assign(pairs * floors, NO_STEPS);
    std::vector<std::uint32_t> queue;
    for (std::size_t pair = 0; pair < pairs; ++pair) {
        const std::int32_t a = cells[pair * 2];
        const std::int32_t b = cells[pair * 2 + 1];
        if (isGoalFloor(level_, a) && isGoalFloor(level_, b)) {
            for (std::size_t p = 0; p < floors; ++p) {
                if (static_cast<std::int32_t>(p) != a && static_cast<std::int32_t>(p) != b) {
                    pairSteps_[pair * floors + p] = 0;
                    queue.push_back(static_cast<std::uint32_t>(pair * floors + p));
                }
            }
        }
    }
    for (std::size_t head = 0; head < queue.size(); ++head) {
        const std::size_t state = queue[head];
        const std::size_t pair  = state / floors;
        const auto player       = static_cast<std::int32_t>(state % floors);
        const std::int32_t boxA = cells[pair * 2];
        const std::int32_t boxB = cells[pair * 2 + 1];
        const std::uint8_t before =
            static_cast<std::uint8_t>(std::min<std::int32_t>(pairSteps_[state] + 1, NO_STEPS - 1));
        auto reach = [&](std::size_t earlier) {
            if (pairSteps_[earlier] == NO_STEPS) {
                pairSteps_[earlier] = before;
                queue.push_back(static_cast<std::uint32_t>(earlier));
            }
        };
        for (std::int32_t dir = 0; dir < DIR_COUNT; ++dir) {
            const std::int32_t next = neighbour(level_, player, dir);
            if (next == -1) {
                continue;
            }
            if (next != boxA && next != boxB) {
                reach(pair * floors + static_cast<std::size_t>(next)); // a walk step back
                continue;
            }
            // The player on x = player, the box on next = x + dir: pushed from x - dir.
            const std::int32_t stand = neighbour(level_, player, DIR_COUNT - 1 - dir);
            const std::int32_t other = next == boxA ? boxB : boxA;
            if (stand != -1 && stand != other && canPush(level_, player, dir)) {
                reach(pairIndex(player, other) * floors + static_cast<std::size_t>(stand));
            }
        }
    }
}

// The regions of the floor without each set's cells, and the regions from which the set can be
// solved: a search backwards over pulls from every set of goals.
void BoxSubsets::buildRegions(std::int32_t size, Sets& sets) {
    const std::size_t floors = floorCount_;
    const auto total =
        static_cast<std::size_t>(binom_[floors * 4 + static_cast<std::size_t>(size)]);
    const auto width = static_cast<std::size_t>(size);
    sets.cells       = allSets(total, size);
    sets.regions.assign(total * floors, 0);
    sets.solvable.assign(total, 0);
    std::vector<std::uint8_t> regionCount(total, 0);
    std::vector<std::int32_t> stack;
    std::vector<std::uint8_t> isBox(floors, 0);
    for (std::size_t rank = 0; rank < total; ++rank) {
        const std::int32_t* boxes = &sets.cells[rank * width];
        std::uint8_t* row         = &sets.regions[rank * floors];
        for (std::int32_t i = 0; i < size; ++i) {
            isBox[static_cast<std::size_t>(boxes[i])] = 1;
        }
        std::uint8_t next = 1;
        for (std::size_t start = 0; start < floors; ++start) {
            if (isBox[start] != 0 || row[start] != 0) {
                continue;
            }
            if (next > MAX_REGIONS) {
                sets.tooManyRegions = true;
                return;
            }
            row[start] = next;
            stack.assign(1, static_cast<std::int32_t>(start));
            while (!stack.empty()) {
                const std::int32_t cur = stack.back();
                stack.pop_back();
                for (std::int32_t dir = 0; dir < DIR_COUNT; ++dir) {
                    const std::int32_t n = neighbour(level_, cur, dir);
                    if (n != -1 && isBox[static_cast<std::size_t>(n)] == 0 && row[n] == 0) {
                        row[n] = next;
                        stack.push_back(n);
                    }
                }
            }
            ++next;
        }
        regionCount[rank] = static_cast<std::uint8_t>(next - 1);
        for (std::int32_t i = 0; i < size; ++i) {
            isBox[static_cast<std::size_t>(boxes[i])] = 0;
        }
    }
    std::vector<std::pair<std::uint32_t, std::uint8_t>> queue; // (rank, region)
    for (std::size_t rank = 0; rank < total; ++rank) {
        bool allOnGoals = true;
        for (std::int32_t i = 0; i < size; ++i) {
            allOnGoals =
                allOnGoals &&
                isGoalFloor(level_, sets.cells[rank * width + static_cast<std::size_t>(i)]);
        }
        for (std::uint8_t r = 1; allOnGoals && r <= regionCount[rank]; ++r) {
            sets.solvable[rank] = static_cast<std::uint16_t>(sets.solvable[rank] | 1u << r);
            queue.emplace_back(static_cast<std::uint32_t>(rank), r);
        }
    }
    std::array<std::int32_t, 3> earlierSet{};
    for (std::size_t head = 0; head < queue.size(); ++head) {
        const auto [rank, region] = queue[head];
        const std::int32_t* boxes = &sets.cells[static_cast<std::size_t>(rank) * width];
        const std::uint8_t* row   = &sets.regions[static_cast<std::size_t>(rank) * floors];
        for (std::int32_t moved = 0; moved < size; ++moved) {
            for (std::int32_t dir = 0; dir < DIR_COUNT; ++dir) {
                // The box on y = x + dir came from x, pushed by the player from x - dir, who
                // is left on x, in the region.
                const std::int32_t back = DIR_COUNT - 1 - dir;
                const std::int32_t x    = neighbour(level_, boxes[moved], back);
                if (x == -1 || row[x] != region || !canPush(level_, x, dir)) {
                    continue;
                }
                const std::int32_t stand = neighbour(level_, x, back);
                if (stand == -1 || row[stand] == 0) {
                    continue; // off the floor, or another box stands there
                }
                for (std::int32_t i = 0; i < size; ++i) {
                    earlierSet[static_cast<std::size_t>(i)] = i == moved ? x : boxes[i];
                }
                sortCells(earlierSet.data(), size);
                const std::size_t earlier = indexOf(earlierSet.data(), size);
                const std::uint8_t from =
                    sets.regions[earlier * floors + static_cast<std::size_t>(stand)];
                if ((sets.solvable[earlier] >> from & 1u) == 0) {
                    sets.solvable[earlier] =
                        static_cast<std::uint16_t>(sets.solvable[earlier] | 1u << from);
                    queue.emplace_back(static_cast<std::uint32_t>(earlier), from);
                }
            }
        }
    }
}

void BoxSubsets::buildTriples() {
    Sets triples;
    buildRegions(3, triples);
    if (triples.tooManyRegions) {
        return;
    }
    const std::size_t floors      = floorCount_;
    const std::size_t tripleCount = triples.solvable.size();
    tripleDead_.assign(tripleCount, 0);
    thirdCells_.assign(static_cast<std::size_t>(binom_[floors * 4 + 2]), 0);
    for (std::size_t rank = 0; rank < tripleCount; ++rank) {
        const std::int32_t* c       = &triples.cells[rank * 3];
        const std::size_t inside[3] = {pairIndex(c[0], c[1]), pairIndex(c[0], c[2]),
                                       pairIndex(c[1], c[2])};
        std::uint64_t dead          = 0;
        for (std::size_t p = 0; p < floors; ++p) {
            const std::uint8_t region = triples.regions[rank * floors + p];
            bool pairFails            = false;
            for (const std::size_t pair : inside) {
                pairFails = pairFails || pairSteps_[pair * floors + p] == NO_STEPS;
            }
            if (region != 0 && (triples.solvable[rank] >> region & 1u) == 0 && !pairFails) {
                dead |= std::uint64_t{1} << p;
            }
        }
        tripleDead_[rank] = dead;
        if (dead != 0) {
            thirdCells_[inside[0]] |= std::uint64_t{1} << c[2];
            thirdCells_[inside[1]] |= std::uint64_t{1} << c[1];
            thirdCells_[inside[2]] |= std::uint64_t{1} << c[0];
        }
    }
}

BoxSubsets::BoxSubsets(const StaticLevel& level)
    : level_(level), floorCount_(static_cast<std::size_t>(level.floorCount)) {
    if (level.floorCount < 2 || level.floorCount > MAX_PAIR_FLOOR) {
        return;
    }
    binom_.assign((floorCount_ + 1) * 4, 0);
    for (std::size_t n = 0; n <= floorCount_; ++n) {
        binom_[n * 4] = 1;
        for (std::size_t k = 1; k < 4; ++k) {
            binom_[n * 4 + k] = n == 0 ? 0 : binom_[(n - 1) * 4 + k - 1] + binom_[(n - 1) * 4 + k];
        }
    }
    buildPairSteps();
    if (level.floorCount >= 3 && level.floorCount <= MAX_TRIPLE_FLOOR) {
        buildTriples();
    }
}

bool BoxSubsets::isDeadAfterPush(const std::uint64_t* key, std::int32_t moved,
                                 std::int32_t player) const {
    if (pairSteps_.empty()) {
        return false;
    }
    const std::uint64_t playerBit = std::uint64_t{1} << (player % 64);
    bool dead                     = false;
    level_.forEachBox(key, [&](std::int32_t other) {
        if (dead || other == moved) {
            return;
        }
        const std::size_t pair = pairIndex(moved, other);
        if (pairSteps_[pair * floorCount_ + static_cast<std::size_t>(player)] == NO_STEPS) {
            dead = true;
            return;
        }
        if (thirdCells_.empty()) {
            return;
        }
        // The triples with a third box above other, so that each is read once.
        std::uint64_t thirds = thirdCells_[pair] & key[0] & ~((std::uint64_t{2} << other) - 1);
        while (thirds != 0 && !dead) {
            std::int32_t sorted[3] = {moved, other, std::countr_zero(thirds)};
            thirds &= thirds - 1;
            sortCells(sorted, 3);
            dead = (tripleDead_[indexOf(sorted, 3)] & playerBit) != 0;
        }
    });
    return dead;
}

std::int32_t BoxSubsets::pairBound(const std::uint64_t* key, std::int32_t player) const {
    if (pairSteps_.empty() || player < 0) {
        return 0;
    }
    std::array<std::int32_t, 64> boxes{};
    std::size_t count = 0;
    bool many         = false;
    level_.forEachBox(key, [&](std::int32_t floor) {
        if (count < boxes.size()) {
            boxes[count++] = floor;
        } else {
            many = true;
        }
    });
    if (many) {
        return 0; // more boxes than the bound reads; the bound is only ever a help
    }
    std::int32_t largest = 0;
    for (std::size_t j = 1; j < count; ++j) {
        // Ranks of the pairs (i, j), i < j, are C(boxes[j], 2) + boxes[i].
        const std::size_t base =
            static_cast<std::size_t>(binom_[static_cast<std::size_t>(boxes[j]) * 4 + 2]);
        for (std::size_t i = 0; i < j; ++i) {
            const std::uint8_t steps =
                pairSteps_[(base + static_cast<std::size_t>(boxes[i])) * floorCount_ +
                           static_cast<std::size_t>(player)];
            if (steps == NO_STEPS) {
                return DEAD;
            }
            largest = std::max<std::int32_t>(largest, steps);
        }
    }
    return largest;
}

std::uint64_t BoxSubsets::memoryBytes() const {
    return (binom_.capacity() + tripleDead_.capacity() + thirdCells_.capacity()) *
               sizeof(std::uint64_t) +
           pairSteps_.capacity();
}

} // namespace goalbox
