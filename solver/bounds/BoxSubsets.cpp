#include "solver/bounds/BoxSubsets.h"

#include <algorithm>
#include <array>
#include <bit>
#include <utility>

namespace goalbox {

namespace {

constexpr std::int32_t QUAD = 4;
// The regions around a quadruple are bits 1 .. 15 of a mask.
constexpr std::uint8_t MAX_REGIONS = 15;

// A state of the backward search of a table: rank * 256 + player cell (the ranks of sets of up
// to MAX_TRIPLE_FLOOR cells and the floor cells of up to MAX_PAIR_FLOOR fit). The search keeps
// two layers of them, the one it expands and the next, which takes far less memory than the
// table.
static_assert(BoxSubsets::MAX_PAIR_FLOOR <= 256 && BoxSubsets::MAX_TRIPLE_FLOOR *
                                                           (BoxSubsets::MAX_TRIPLE_FLOOR - 1) *
                                                           (BoxSubsets::MAX_TRIPLE_FLOOR - 2) / 6 <
                                                       (1 << 24));

std::uint32_t pullState(std::size_t rank, std::int32_t player) {
    return static_cast<std::uint32_t>(rank << 8) | static_cast<std::uint32_t>(player);
}

// The set after the sorted set of size cells in rank (colex) order: the lowest cell that can
// rise rises, and the cells below it go back to the bottom.
void nextSet(std::int32_t* set, std::size_t size) {
    std::size_t i = 0;
    while (i + 1 < size && set[i] + 1 == set[i + 1]) {
        set[i] = static_cast<std::int32_t>(i);
        ++i;
    }
    ++set[i];
}

// Sorts the few cells of a set in place.
void sortCells(std::int32_t* cells, std::int32_t size) {
    for (std::int32_t i = 1; i < size; ++i) {
        for (std::int32_t j = i; j > 0 && cells[j - 1] > cells[j]; --j) {
            std::swap(cells[j - 1], cells[j]);
        }
    }
}

// True when floor cell floor is one of the SIZE cells of set.
template <std::int32_t SIZE> bool holds(const std::int32_t* set, std::int32_t floor) {
    bool found = false;
    for (std::int32_t i = 0; i < SIZE; ++i) {
        found = found || set[i] == floor;
    }
    return found;
}

// The player's regions around each quadruple (cells: QUAD floor cells per quadruple): per
// quadruple * floor cell, the floor less the four cells, numbered region by region from 1 in
// floor order, and 0 on the four cells; per quadruple, its number of regions. False when some
// quadruple cuts the floor into more than MAX_REGIONS.
bool floodRegions(const StaticLevel& level, const std::vector<std::int32_t>& cells,
                  std::vector<std::uint8_t>& regions, std::vector<std::uint8_t>& regionCount) {
    const auto floors       = static_cast<std::size_t>(level.floorCount);
    const std::size_t quads = cells.size() / QUAD;
    regions.assign(quads * floors, 0);
    regionCount.assign(quads, 0);
    std::vector<std::int32_t> stack;
    for (std::size_t rank = 0; rank < quads; ++rank) {
        const std::int32_t* set = &cells[rank * QUAD];
        std::uint8_t* row       = &regions[rank * floors];
        for (std::int32_t i = 0; i < QUAD; ++i) {
            row[set[i]] = 0xFF; // a box, for the flood below
        }
        std::uint8_t next = 1;
        for (std::size_t start = 0; start < floors; ++start) {
            if (row[start] != 0) {
                continue;
            }
            if (next > MAX_REGIONS) {
                return false;
            }
            row[start] = next;
            stack.assign(1, static_cast<std::int32_t>(start));
            while (!stack.empty()) {
                const std::int32_t cur = stack.back();
                stack.pop_back();
                for (std::int32_t dir = 0; dir < DIR_COUNT; ++dir) {
                    const std::int32_t n = level.floorNeighbour(cur, dir);
                    if (n != NO_FLOOR && row[n] == 0) {
                        row[n] = next;
                        stack.push_back(n);
                    }
                }
            }
            ++next;
        }
        for (std::int32_t i = 0; i < QUAD; ++i) {
            row[set[i]] = 0;
        }
        regionCount[rank] = static_cast<std::uint8_t>(next - 1);
    }
    return true;
}

} // namespace

std::size_t BoxSubsets::rankOf(const std::int32_t* sorted, std::int32_t size) const {
    std::size_t rank = 0;
    for (std::int32_t i = 0; i < size; ++i) {
        rank += rankTerm_[static_cast<std::size_t>(sorted[i]) * BINOM_STRIDE +
                          static_cast<std::size_t>(i) + 1];
    }
    return rank;
}

// Every set of size box cells in rank order, size floor cells each (ascending, as box cells
// are numbered in floor order).
std::vector<std::int32_t> BoxSubsets::setsInRankOrder(std::size_t sets, std::size_t size) const {
    std::vector<std::int32_t> cells(sets * size);
    std::array<std::int32_t, 4> set{0, 1, 2, 3};
    for (std::size_t rank = 0; rank < sets; ++rank) {
        for (std::size_t i = 0; i < size; ++i) {
            cells[rank * size + i] = boxCells_[static_cast<std::size_t>(set[i])];
        }
        nextSet(set.data(), size);
    }
    return cells;
}

std::size_t BoxSubsets::pairRank(std::int32_t a, std::int32_t b) const {
    std::int32_t sorted[2] = {a, b};
    sortCells(sorted, 2);
    return rankOf(sorted, 2);
}

std::size_t BoxSubsets::tripleRank(std::int32_t a, std::int32_t b, std::int32_t c) const {
    std::int32_t sorted[3] = {a, b, c};
    sortCells(sorted, 3);
    return rankOf(sorted, 3);
}

std::size_t BoxSubsets::quadRank(std::int32_t a, std::int32_t b, std::int32_t c,
                                 std::int32_t d) const {
    std::int32_t sorted[4] = {a, b, c, d};
    sortCells(sorted, 4);
    return rankOf(sorted, 4);
}

bool BoxSubsets::allOnGoals(const std::int32_t* set, std::int32_t size) const {
    bool onGoals = true;
    for (std::int32_t i = 0; i < size; ++i) {
        onGoals = onGoals && level_.isGoalFloor(set[i]);
    }
    return onGoals;
}

// The player cells (not on the triple's own cells) from which a triple cannot be solved.
std::uint64_t BoxSubsets::tripleDeadCells(std::size_t rank) const {
    std::uint64_t dead = 0;
    for (std::size_t p = 0; p < floorCount_; ++p) {
        if (tripleSteps_[p * tripleCount_ + rank] == NO_STEPS) {
            dead |= std::uint64_t{1} << p;
        }
    }
    return dead;
}

// Per floor cell x * DIR_COUNT + direction d: the cell x - d, from which the player pushes a
// box on x in direction d and onto which a pull of that box from x + d leaves the player;
// NO_FLOOR where the grid allows no such push.
std::vector<std::int32_t> BoxSubsets::pullStands() const {
    std::vector<std::int32_t> stands(floorCount_ * DIR_COUNT, NO_FLOOR);
    for (std::size_t x = 0; x < floorCount_; ++x) {
        for (std::int32_t dir = 0; dir < DIR_COUNT; ++dir) {
            if (level_.isPushable(level_.floorCells[x], dir)) {
                stands[x * DIR_COUNT + static_cast<std::size_t>(dir)] = level_.floorNeighbour(
                    static_cast<std::int32_t>(x), reverse(static_cast<Direction>(dir)));
            }
        }
    }
    return stands;
}

// The states where the backward search of a table starts: every set of goals with the player
// on any other floor cell, 0 steps from the end.
template <std::int32_t SIZE>
std::vector<std::uint32_t> BoxSubsets::goalStates(const std::vector<std::int32_t>& cells,
                                                  std::vector<std::uint8_t>& steps) const {
    const std::size_t sets = setCount(SIZE);
    std::vector<std::uint32_t> layer;
    for (std::size_t rank = 0; rank < sets; ++rank) {
        const std::int32_t* boxes = &cells[rank * SIZE];
        if (!allOnGoals(boxes, SIZE)) {
            continue;
        }
        for (std::size_t p = 0; p < floorCount_; ++p) {
            if (!holds<SIZE>(boxes, static_cast<std::int32_t>(p))) {
                steps[p * sets + rank] = 0;
                layer.push_back(pullState(rank, static_cast<std::int32_t>(p)));
            }
        }
    }
    return layer;
}

// One step backwards from every state of layer: each state it is undone into that has no steps
// yet gets stepsThere and goes into nextLayer.
template <std::int32_t SIZE>
void BoxSubsets::stepBack(const std::vector<std::int32_t>& cells,
                          const std::vector<std::int32_t>& stands,
                          const std::vector<std::uint32_t>& layer, std::uint8_t stepsThere,
                          std::vector<std::uint8_t>& steps,
                          std::vector<std::uint32_t>& nextLayer) const {
    const std::size_t sets = setCount(SIZE);
    std::array<std::int32_t, SIZE> earlier{};
    for (const std::uint32_t state : layer) {
        const std::size_t rank    = state >> 8;
        const auto player         = static_cast<std::int32_t>(state & 0xFF);
        const std::int32_t* boxes = &cells[rank * SIZE];
        for (std::int32_t dir = 0; dir < DIR_COUNT; ++dir) {
            const std::int32_t next = level_.floorNeighbour(player, dir);
            if (next == NO_FLOOR) {
                continue;
            }
            std::size_t fromRank  = rank;
            std::int32_t fromCell = next; // a walk step back
            if (holds<SIZE>(boxes, next)) {
                // The player on x = player, a box on x + dir: pushed from x - dir. Pulled
                // back, the box stands on x, a box cell too (a push from x reaches one).
                const std::int32_t stand = stands[static_cast<std::size_t>(player) * DIR_COUNT +
                                                  static_cast<std::size_t>(dir)];
                if (stand == NO_FLOOR || holds<SIZE>(boxes, stand)) {
                    continue; // off the floor, or another box stands there
                }
                for (std::int32_t i = 0; i < SIZE; ++i) {
                    earlier[static_cast<std::size_t>(i)] = boxes[i] == next ? player : boxes[i];
                }
                sortCells(earlier.data(), SIZE);
                fromRank = rankOf(earlier.data(), SIZE);
                fromCell = stand;
            }
            std::uint8_t& known = steps[static_cast<std::size_t>(fromCell) * sets + fromRank];
            if (known == NO_STEPS) {
                known = stepsThere;
                nextLayer.push_back(pullState(fromRank, fromCell));
            }
        }
    }
}

// The table of one set size: a breadth-first search backwards from every set of goals (any
// player cell) over states (set, player cell), each move undone costing one step: the player
// steps back onto a free neighbour, or pulls (a push of the box on x in direction d from the
// player on x - d leaves the box on x + d and the player on x).
template <std::int32_t SIZE> std::vector<std::uint8_t> BoxSubsets::fewestSteps() const {
    // 1. Every set in rank order, and where a pull leaves the player.
    const std::vector<std::int32_t> cells  = setsInRankOrder(setCount(SIZE), SIZE);
    const std::vector<std::int32_t> stands = pullStands();
    // 2. The sets of goals, with the player anywhere else.
    std::vector<std::uint8_t> steps(floorCount_ * setCount(SIZE), NO_STEPS);
    std::vector<std::uint32_t> layer = goalStates<SIZE>(cells, steps);
    // 3. Backwards, one step at a time, a layer of states at a time.
    std::vector<std::uint32_t> nextLayer;
    std::uint8_t stepsThere = 1;
    while (!layer.empty()) {
        stepBack<SIZE>(cells, stands, layer, stepsThere, steps, nextLayer);
        layer.swap(nextLayer);
        nextLayer.clear();
        stepsThere =
            static_cast<std::uint8_t>(std::min<std::int32_t>(stepsThere + 1, NO_STEPS - 1));
    }
    return steps;
}

BoxSubsets::BoxSubsets(const StaticLevel& level, const LowerBound& pushes, std::int32_t boxCount)
    : level_(level), boxCount_(boxCount), floorCount_(static_cast<std::size_t>(level.floorCount)) {
    if (level.floorCount < 2 || level.floorCount > MAX_PAIR_FLOOR) {
        return;
    }
    rankTerm_.assign(floorCount_ * BINOM_STRIDE, 0);
    for (std::size_t f = 0; f < floorCount_; ++f) {
        if (!pushes.reachesNoGoal(static_cast<std::int32_t>(f))) {
            rankTerm_[f * BINOM_STRIDE] = 1;
            boxCells_.push_back(static_cast<std::int32_t>(f));
        }
    }
    boxCellCount_ = boxCells_.size();
    binom_.assign((boxCellCount_ + 1) * BINOM_STRIDE, 0);
    for (std::size_t n = 0; n <= boxCellCount_; ++n) {
        binom_[n * BINOM_STRIDE] = 1;
        for (std::size_t k = 1; k < BINOM_STRIDE; ++k) {
            binom_[n * BINOM_STRIDE + k] = n == 0 ? 0
                                                  : binom_[(n - 1) * BINOM_STRIDE + k - 1] +
                                                        binom_[(n - 1) * BINOM_STRIDE + k];
        }
    }
    for (std::size_t b = 0; b < boxCellCount_; ++b) {
        for (std::size_t k = 1; k < BINOM_STRIDE; ++k) {
            rankTerm_[static_cast<std::size_t>(boxCells_[b]) * BINOM_STRIDE + k] =
                binom_[b * BINOM_STRIDE + k];
        }
    }
}

bool BoxSubsets::addPairs() {
    if (binom_.empty() || boxCount_ < 2 || hasPairs_ || (hasTriples_ && triplesAreWhole())) {
        return false;
    }
    pairCount_ = setCount(2);
    pairSteps_ = fewestSteps<2>();
    hasPairs_  = true;
    return true;
}

bool BoxSubsets::addTriples() {
    if (!canAddTriples() || (!hasPairs_ && !triplesAreWhole()) || hasTriples_) {
        return false;
    }
    tripleCount_ = setCount(3);
    tripleSteps_ = fewestSteps<3>();
    hasTriples_  = true;
    // Above MAX_MASK_FLOOR floor cells the test after a push reads pairs only; on a level of
    // three boxes, the whole triple.
    if (level_.floorCount <= MAX_MASK_FLOOR && !triplesAreWhole()) {
        recordFailingTriples();
    }
    return true;
}

// The triples that fail where none of their pairs does, for the test after a push (thirdCells_):
// one player cell at a time, as the tables lie.
void BoxSubsets::recordFailingTriples() {
    std::vector<std::uint8_t> fails(tripleCount_, 0);
    const std::vector<std::int32_t> triples = setsInRankOrder(tripleCount_, 3);
    std::vector<std::size_t> inside(tripleCount_ * 3);
    for (std::size_t rank = 0; rank < tripleCount_; ++rank) {
        const std::int32_t* c = &triples[rank * 3];
        inside[rank * 3]      = pairRank(c[0], c[1]);
        inside[rank * 3 + 1]  = pairRank(c[0], c[2]);
        inside[rank * 3 + 2]  = pairRank(c[1], c[2]);
    }
    for (std::size_t p = 0; p < floorCount_; ++p) {
        const std::uint8_t* pairs = pairSteps_.data() + p * pairCount_;
        const std::uint8_t* steps = tripleSteps_.data() + p * tripleCount_;
        for (std::size_t rank = 0; rank < tripleCount_; ++rank) {
            const std::size_t* in = &inside[rank * 3];
            // The player on one of the triple's cells fails too; those entries are never read.
            const std::int32_t* c = &triples[rank * 3];
            const auto player     = static_cast<std::int32_t>(p);
            if (steps[rank] == NO_STEPS && c[0] != player && c[1] != player && c[2] != player &&
                pairs[in[0]] != NO_STEPS && pairs[in[1]] != NO_STEPS && pairs[in[2]] != NO_STEPS) {
                fails[rank] = 1;
            }
        }
    }
    thirdCells_.assign(pairCount_, 0);
    for (std::size_t rank = 0; rank < tripleCount_; ++rank) {
        if (fails[rank] != 0) {
            const std::int32_t* c = &triples[rank * 3];
            thirdCells_[inside[rank * 3]] |= std::uint64_t{1} << c[2];
            thirdCells_[inside[rank * 3 + 1]] |= std::uint64_t{1} << c[1];
            thirdCells_[inside[rank * 3 + 2]] |= std::uint64_t{1} << c[0];
        }
    }
}

// The search backwards over pulls from every quadruple of goals, with the player anywhere in a
// region: per quadruple, bit r set when it can be solved with the player in its region r. The
// player walks freely within a region, so a region stands for all of its cells.
std::vector<std::uint16_t>
BoxSubsets::solvableRegions(const std::vector<std::int32_t>& cells,
                            const std::vector<std::uint8_t>& regions,
                            const std::vector<std::uint8_t>& regionCount) const {
    const std::size_t floors               = floorCount_;
    const std::size_t quads                = regionCount.size();
    const std::vector<std::int32_t> stands = pullStands();
    std::vector<std::uint16_t> solvable(quads, 0);
    std::vector<std::pair<std::uint32_t, std::uint8_t>> queue;
    for (std::size_t rank = 0; rank < quads; ++rank) {
        if (allOnGoals(&cells[rank * QUAD], QUAD)) {
            for (std::uint8_t r = 1; r <= regionCount[rank]; ++r) {
                solvable[rank] = static_cast<std::uint16_t>(solvable[rank] | 1u << r);
                queue.emplace_back(static_cast<std::uint32_t>(rank), r);
            }
        }
    }
    std::array<std::int32_t, QUAD> earlier{};
    for (std::size_t head = 0; head < queue.size(); ++head) {
        const auto [rank, region] = queue[head];
        const std::int32_t* boxes = &cells[static_cast<std::size_t>(rank) * QUAD];
        const std::uint8_t* row   = &regions[static_cast<std::size_t>(rank) * floors];
        for (std::int32_t moved = 0; moved < QUAD; ++moved) {
            for (std::int32_t dir = 0; dir < DIR_COUNT; ++dir) {
                // The box on y = x + dir came from x, pushed by the player from x - dir, who is
                // left on x, in the region.
                const std::int32_t x =
                    level_.floorNeighbour(boxes[moved], reverse(static_cast<Direction>(dir)));
                if (x == NO_FLOOR || row[x] != region) {
                    continue;
                }
                const std::int32_t stand =
                    stands[static_cast<std::size_t>(x) * DIR_COUNT + static_cast<std::size_t>(dir)];
                if (stand == NO_FLOOR || row[stand] == 0) {
                    continue; // the grid allows no such push, or another box stands there
                }
                for (std::int32_t i = 0; i < QUAD; ++i) {
                    earlier[static_cast<std::size_t>(i)] = i == moved ? x : boxes[i];
                }
                sortCells(earlier.data(), QUAD);
                const std::size_t before = rankOf(earlier.data(), QUAD);
                const std::uint8_t from =
                    regions[before * floors + static_cast<std::size_t>(stand)];
                if ((solvable[before] >> from & 1u) == 0) {
                    solvable[before] = static_cast<std::uint16_t>(solvable[before] | 1u << from);
                    queue.emplace_back(static_cast<std::uint32_t>(before), from);
                }
            }
        }
    }
    return solvable;
}

// The dead quadruples for the test after a push: per quadruple the player cells where it fails
// and none of its triples does (which the triples' test finds already), and the pairs' thirds
// and the triples' fourths that lead to it.
void BoxSubsets::recordDeadQuadruples(const std::vector<std::int32_t>& cells,
                                      const std::vector<std::uint8_t>& regions,
                                      const std::vector<std::uint16_t>& solvable) {
    const std::size_t floors = floorCount_;
    const std::size_t quads  = solvable.size();
    std::vector<std::uint64_t> tripleDead(tripleCount_);
    for (std::size_t rank = 0; rank < tripleCount_; ++rank) {
        tripleDead[rank] = tripleDeadCells(rank);
    }
    deadQuads_.players.assign(quads, 0);
    deadQuads_.thirds.assign(pairCount_, 0);
    deadQuads_.fourths.assign(tripleCount_, 0);
    for (std::size_t rank = 0; rank < quads; ++rank) {
        const std::int32_t* c = &cells[rank * QUAD];
        std::uint64_t dead    = 0;
        for (std::size_t p = 0; p < floors; ++p) {
            const std::uint8_t region = regions[rank * floors + p];
            if (region != 0 && (solvable[rank] >> region & 1u) == 0) {
                dead |= std::uint64_t{1} << p;
            }
        }
        dead &=
            ~(tripleDead[tripleRank(c[0], c[1], c[2])] | tripleDead[tripleRank(c[0], c[1], c[3])] |
              tripleDead[tripleRank(c[0], c[2], c[3])] | tripleDead[tripleRank(c[1], c[2], c[3])]);
        if (dead == 0) {
            continue;
        }
        deadQuads_.players[rank] = dead;
        // Each of the quadruple's pairs leads to the other two cells, each triple to the fourth.
        for (std::int32_t i = 0; i < QUAD; ++i) {
            for (std::int32_t j = i + 1; j < QUAD; ++j) {
                std::uint64_t others = 0;
                for (std::int32_t k = 0; k < QUAD; ++k) {
                    if (k != i && k != j) {
                        others |= std::uint64_t{1} << c[k];
                    }
                }
                deadQuads_.thirds[pairRank(c[i], c[j])] |= others;
            }
            std::int32_t three[3]; // the triple without c[i]
            std::int32_t n = 0;
            for (std::int32_t k = 0; k < QUAD; ++k) {
                if (k != i) {
                    three[n++] = c[k];
                }
            }
            deadQuads_.fourths[rankOf(three, 3)] |= std::uint64_t{1} << c[i];
        }
    }
}

// The quadruples, by regions: the floor without the four cells falls into a few regions, in each
// of which the player walks freely, and a search backwards over pulls from every set of four
// goals marks the regions from which each quadruple can be solved.
bool BoxSubsets::addQuadruples() {
    if (thirdCells_.empty() || level_.floorCount < QUAD || !deadQuads_.players.empty()) {
        return false;
    }
    // 1. Every quadruple in rank order, and its regions.
    const std::vector<std::int32_t> cells = setsInRankOrder(setCount(QUAD), QUAD);
    std::vector<std::uint8_t> regions;
    std::vector<std::uint8_t> regionCount;
    if (!floodRegions(level_, cells, regions, regionCount)) {
        return false;
    }
    // 2. Backwards from the quadruples of goals.
    const std::vector<std::uint16_t> solvable = solvableRegions(cells, regions, regionCount);
    // 3. The player cells where a quadruple fails and none of its triples does.
    recordDeadQuadruples(cells, regions, solvable);
    return true;
}

// The steps of the three boxes of key with the player on floor cell player, on a level of three
// boxes; NO_STEPS when they cannot be solved, a box off the box cells included.
std::uint8_t BoxSubsets::wholeSteps(const std::uint64_t* key, std::int32_t player) const {
    std::size_t rank = 0;
    std::size_t k    = 1;
    bool onBoxCells  = true;
    level_.forEachBox(key, [&](std::int32_t floor) {
        onBoxCells = onBoxCells && isBoxCell(floor);
        rank += static_cast<std::size_t>(
            rankTerm_[static_cast<std::size_t>(floor) * BINOM_STRIDE + k++]);
    });
    return onBoxCells ? tripleSteps_[static_cast<std::size_t>(player) * tripleCount_ + rank]
                      : NO_STEPS;
}

bool BoxSubsets::isDeadAfterPush(const std::uint64_t* key, std::int32_t moved,
                                 std::int32_t player) const {
    if (hasTriples_ && triplesAreWhole()) {
        return wholeSteps(key, player) == NO_STEPS;
    }
    if (!hasPairs_) {
        return false;
    }
    const std::uint8_t* pairs = pairSteps_.data() + static_cast<std::size_t>(player) * pairCount_;
    const std::uint8_t* triples =
        !hasTriples_ ? nullptr
                     : tripleSteps_.data() + static_cast<std::size_t>(player) * tripleCount_;
    // The triples and quadruples are read on levels of up to MAX_MASK_FLOOR floor cells only,
    // where the boxes fill one word.
    const std::uint64_t boxes     = thirdCells_.empty() ? 0 : level_.boxSet(key);
    const std::uint64_t playerBit = std::uint64_t{1} << (player % 64);
    bool dead                     = false;
    level_.forEachBox(key, [&](std::int32_t other) {
        if (dead || other == moved) {
            return;
        }
        if (!isBoxCell(moved) || !isBoxCell(other)) {
            dead = true;
            return;
        }
        const std::size_t pair = pairRank(moved, other);
        if (pairs[pair] == NO_STEPS) {
            dead = true;
            return;
        }
        if (thirdCells_.empty()) {
            return;
        }
        // The triples with a third box above other, so that each is read once.
        const std::uint64_t above = ~((std::uint64_t{2} << other) - 1);
        std::uint64_t thirds      = thirdCells_[pair] & boxes & above;
        while (thirds != 0 && !dead) {
            dead = triples[tripleRank(moved, other, std::countr_zero(thirds))] == NO_STEPS;
            thirds &= thirds - 1;
        }
        if (deadQuads_.players.empty() || dead) {
            return;
        }
        // The quadruples with a third and a fourth box above other, in ascending order.
        std::uint64_t quadThirds = deadQuads_.thirds[pair] & boxes & above;
        while (quadThirds != 0 && !dead) {
            const std::int32_t third = std::countr_zero(quadThirds);
            quadThirds &= quadThirds - 1;
            std::uint64_t fourths = deadQuads_.fourths[tripleRank(moved, other, third)] & boxes &
                                    ~((std::uint64_t{2} << third) - 1);
            while (fourths != 0 && !dead) {
                dead =
                    (deadQuads_.players[quadRank(moved, other, third, std::countr_zero(fourths))] &
                     playerBit) != 0;
                fourths &= fourths - 1;
            }
        }
    });
    return dead;
}

bool BoxSubsets::isDead(const std::uint64_t* key, std::int32_t player) const {
    if (hasTriples_ && triplesAreWhole() && player >= 0) {
        return wholeSteps(key, player) == NO_STEPS;
    }
    if (!hasPairs_ || player < 0) {
        return false;
    }
    bool dead = false;
    level_.forEachBox(key,
                      [&](std::int32_t box) { dead = dead || isDeadAfterPush(key, box, player); });
    return dead;
}

std::int32_t BoxSubsets::bound(const std::uint64_t* key, std::int32_t player) const {
    if (hasTriples_ && triplesAreWhole() && player >= 0) {
        const std::uint8_t steps = wholeSteps(key, player);
        return steps == NO_STEPS ? BOUND_DEAD : steps;
    }
    if (!hasPairs_ || player < 0) {
        return 0;
    }
    std::array<std::size_t, 64> boxes{};
    std::size_t count = 0;
    bool many         = false;
    bool offBoxCells  = false;
    level_.forEachBox(key, [&](std::int32_t floor) {
        if (count < boxes.size()) {
            boxes[count++] = static_cast<std::size_t>(floor) * BINOM_STRIDE;
            offBoxCells    = offBoxCells || !isBoxCell(floor);
        } else {
            many = true;
        }
    });
    if (many) {
        return 0; // more boxes than the bound reads; it is only ever a help
    }
    if (offBoxCells) {
        return count >= 2 ? BOUND_DEAD : 0; // as every pair with that box would say
    }
    // The ranks of sets of boxes in ascending order: C(b_i, 1) + C(b_j, 2) (+ C(b_k, 3)).
    const std::uint8_t* pairs = pairSteps_.data() + static_cast<std::size_t>(player) * pairCount_;
    std::int32_t largest      = 0;
    for (std::size_t j = 1; j < count; ++j) {
        const std::size_t base = static_cast<std::size_t>(rankTerm_[boxes[j] + 2]);
        for (std::size_t i = 0; i < j; ++i) {
            const std::uint8_t steps = pairs[base + rankTerm_[boxes[i] + 1]];
            if (steps == NO_STEPS) {
                return BOUND_DEAD;
            }
            largest = std::max<std::int32_t>(largest, steps);
        }
    }
    if (!hasTriples_) {
        return largest;
    }
    const std::uint8_t* triples =
        tripleSteps_.data() + static_cast<std::size_t>(player) * tripleCount_;
    for (std::size_t k = 2; k < count; ++k) {
        const std::size_t top = static_cast<std::size_t>(rankTerm_[boxes[k] + 3]);
        for (std::size_t j = 1; j < k; ++j) {
            const std::size_t middle = top + static_cast<std::size_t>(rankTerm_[boxes[j] + 2]);
            for (std::size_t i = 0; i < j; ++i) {
                const std::uint8_t steps = triples[middle + rankTerm_[boxes[i] + 1]];
                if (steps == NO_STEPS) {
                    return BOUND_DEAD;
                }
                largest = std::max<std::int32_t>(largest, steps);
            }
        }
    }
    return largest;
}

std::uint64_t BoxSubsets::memoryBytes() const {
    return (binom_.capacity() + rankTerm_.capacity() + thirdCells_.capacity() +
            deadQuads_.players.capacity() + deadQuads_.thirds.capacity() +
            deadQuads_.fourths.capacity()) *
               sizeof(std::uint64_t) +
           pairSteps_.capacity() + tripleSteps_.capacity() +
           boxCells_.capacity() * sizeof(std::int32_t);
}

} // namespace goalbox
