// goalbox-astar: a plain exact A* search, written apart from the program's solver, as the
// yardstick that solver is measured against. It shares nothing with solver/ but the replay
// check of a solution (solver/reference/SolutionCheck.h); levels are read with board/Board.h.
//
//   goalbox-astar [--cap SECONDS] [--memory MIB] PATH...
//
// A position is the box layout and the player's cell right after a push. A move walks the
// player to the cell behind a box along a shortest walk over free floor and pushes once; it
// costs the walk's length + 1, so the search finds the fewest steps, walks and pushes alike.
// Lower bound: the sum over the boxes of the fewest pushes from the box's cell to its nearest
// goal on the board with walls only; a box on a cell from which no goal can be reached makes
// the position hopeless. No other dead-position test, and any of the optimal solutions will do.
// The bound never drops by more than 1 per move and a move costs at least 1, so it is
// consistent: a position is expanded at most once, with its fewest steps.
//
// --cap is the time cap of each search (default 10 s), --memory its budget of counted heap
// bytes in MiB (default 4096). A PATH that is a directory stands for every *.txt file in it, in
// sorted order.

#include <algorithm>
#include <array>
#include <bit>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/LevelFiles.h"
#include "bench/SearchTimer.h"
#include "board/Board.h"
#include "solver/reference/SolutionCheck.h"

namespace {

using goalbox::Board;
using goalbox::CellIndex;
using goalbox::SolutionStep;
using Clock = goalbox::bench::SearchTimer::Clock;

constexpr std::uint32_t NO_ENTRY     = 0xFFFFFFFF;
constexpr std::uint16_t NO_GOAL      = 0xFFFF;
constexpr std::int32_t PLAYER_BITS   = 16;  // the player's floor number, in the low bits of word 0
constexpr std::uint32_t CHECK_PERIOD = 256; // expansions between two looks at the clock

struct Options {
    double capSeconds         = 10.0;
    std::uint64_t memoryBytes = std::uint64_t{4096} << 20;
    std::vector<std::filesystem::path> levels;
};

// The level as the search sees it. Floor is every cell that is neither wall nor outside; the
// floor cells are numbered 0, 1, 2, ... in board order.
struct Level {
    std::int32_t floorCount = 0;
    std::vector<CellIndex> boardCell;                   // floor number -> board cell
    std::vector<std::array<std::int32_t, 4>> neighbour; // by direction; -1 off the floor
    std::vector<std::uint16_t> goalPushes;              // to the nearest goal, or NO_GOAL
    std::int32_t keyWords = 0;                          // player bits, then a bit per floor cell
    std::vector<std::uint64_t> startKey;
    std::int32_t boxCount = 0;
};

std::int32_t keyBit(std::int32_t floor) {
    return floor + PLAYER_BITS;
}

// Fewest pushes from every floor cell to the nearest goal, pushing one box alone among the
// walls: one backward breadth-first search per goal. A box at c pushed in direction d goes to
// neighbour[c][d], with the player on neighbour[c][reverse d].
void computeGoalPushes(Level& level, const std::vector<std::int32_t>& goals) {
    const auto n = static_cast<std::size_t>(level.floorCount);
    level.goalPushes.assign(n, NO_GOAL);
    std::vector<std::uint16_t> pushes(n);
    std::vector<std::int32_t> queue(n);
    for (const std::int32_t goal : goals) {
        std::fill(pushes.begin(), pushes.end(), NO_GOAL);
        pushes[goal]     = 0;
        std::size_t head = 0, tail = 0;
        queue[tail++] = goal;
        while (head < tail) {
            const std::int32_t to = queue[head++];
            for (int d = 0; d < goalbox::DIR_COUNT; ++d) {
                const int back          = goalbox::reverse(static_cast<goalbox::Direction>(d));
                const auto& links       = level.neighbour;
                const std::int32_t from = links[to][back];
                if (from < 0 || links[from][back] < 0 || pushes[from] != NO_GOAL) {
                    continue;
                }
                pushes[from]  = static_cast<std::uint16_t>(pushes[to] + 1);
                queue[tail++] = from;
            }
        }
        for (std::size_t i = 0; i < n; ++i) {
            level.goalPushes[i] = std::min(level.goalPushes[i], pushes[i]);
        }
    }
}

Level buildLevel(const Board& board) {
    Level level;
    std::vector<std::int32_t> floorOf(board.cells.size(), -1);
    for (std::size_t cell = 0; cell < board.cells.size(); ++cell) {
        const std::uint8_t code = board.cells[cell];
        if (code != goalbox::CELL_WALL && code != goalbox::CELL_OUTSIDE) {
            floorOf[cell] = level.floorCount++;
            level.boardCell.push_back(static_cast<CellIndex>(cell));
        }
    }
    std::vector<std::int32_t> goals;
    level.neighbour.resize(static_cast<std::size_t>(level.floorCount));
    for (std::int32_t f = 0; f < level.floorCount; ++f) {
        const CellIndex cell = level.boardCell[f];
        for (int d = 0; d < goalbox::DIR_COUNT; ++d) {
            const CellIndex next  = board.neighbour(cell, static_cast<goalbox::Direction>(d));
            level.neighbour[f][d] = next != goalbox::NO_CELL ? floorOf[next] : -1;
        }
        if (goalbox::isGoal(board.cells[cell])) {
            goals.push_back(f);
        }
    }
    computeGoalPushes(level, goals);

    level.keyWords = (keyBit(level.floorCount) + 63) / 64;
    level.startKey.assign(static_cast<std::size_t>(level.keyWords), 0);
    level.startKey[0] = static_cast<std::uint64_t>(floorOf[board.playerCell]);
    for (std::int32_t f = 0; f < level.floorCount; ++f) {
        if (goalbox::isBox(board.cells[level.boardCell[f]])) {
            level.startKey[keyBit(f) / 64] |= std::uint64_t{1} << (keyBit(f) % 64);
            ++level.boxCount;
        }
    }
    return level;
}

// The positions met so far, numbered in order of arrival: their keys one after another in one
// array, found through an open-addressing table with linear probing, at most three entries per
// four slots. A slot holds entry number + 1 in its upper half (0: empty) and the low 32 bits of
// the key's hash in its lower half, which pick the slot's place: a probe reads a stored key only
// when those bits match, and growing the table reads no keys.
class KeyTable {
  public:
    explicit KeyTable(std::int32_t keyWords)
        : words_(static_cast<std::size_t>(keyWords)), slots_(1024, 0), mask_(1023) {}

    std::uint32_t size() const { return count_; }
    const std::uint64_t* key(std::uint32_t entry) const { return &keys_[entry * words_]; }
    std::uint64_t memoryBytes() const {
        return (keys_.capacity() + slots_.capacity()) * sizeof(std::uint64_t);
    }

    // The entry that holds key; a key not met before is added. added tells which happened.
    std::uint32_t findOrAdd(const std::uint64_t* key, bool& added) {
        const std::uint32_t low = hash(key);
        std::size_t slot        = low & mask_;
        for (; slots_[slot] != 0; slot = (slot + 1) & mask_) {
            const std::uint32_t entry = static_cast<std::uint32_t>(slots_[slot] >> 32) - 1;
            if (static_cast<std::uint32_t>(slots_[slot]) == low &&
                std::equal(key, key + words_, this->key(entry))) {
                added = false;
                return entry;
            }
        }
        added                     = true;
        const std::uint32_t entry = count_++;
        keys_.insert(keys_.end(), key, key + words_);
        slots_[slot] = (std::uint64_t{entry} + 1) << 32 | low;
        if (std::uint64_t{count_} * 4 > std::uint64_t{slots_.size()} * 3) {
            grow();
        }
        return entry;
    }

  private:
    std::uint32_t hash(const std::uint64_t* key) const {
        std::uint64_t h = 0x9E3779B97F4A7C15u;
        for (std::size_t i = 0; i < words_; ++i) {
            h = (h ^ key[i]) * 0xBF58476D1CE4E5B9u;
            h ^= h >> 31;
        }
        h *= 0x94D049BB133111EBu;
        return static_cast<std::uint32_t>(h ^ (h >> 32));
    }
    void grow() {
        std::vector<std::uint64_t> old(slots_.size() * 2, 0);
        old.swap(slots_);
        mask_ = slots_.size() - 1;
        for (const std::uint64_t value : old) {
            if (value != 0) {
                std::size_t slot = static_cast<std::uint32_t>(value) & mask_;
                while (slots_[slot] != 0) {
                    slot = (slot + 1) & mask_;
                }
                slots_[slot] = value;
            }
        }
    }

    std::size_t words_;
    std::uint32_t count_ = 0;
    std::vector<std::uint64_t> keys_;
    std::vector<std::uint64_t> slots_;
    std::size_t mask_;
};

// What the search keeps per position besides its key: the fewest steps known, the push that
// led there on that walk and the position it was made from.
struct Node {
    std::uint32_t parent   = NO_ENTRY;
    std::int32_t steps     = 0;
    CellIndex stand        = -1; // the player's board cell before the push
    std::uint8_t direction = 0;
    bool expanded          = false;
};

enum class Outcome { SOLVED, UNSOLVABLE, CAPPED, MEMORY };

struct LevelFigures {
    std::string name;
    Outcome outcome    = Outcome::UNSOLVABLE;
    std::int32_t steps = -1;
    std::vector<SolutionStep> solution;
    std::uint64_t expanded  = 0;
    std::uint64_t stored    = 0;
    std::uint64_t peakBytes = 0;
    double millis           = 0.0;
    double cpuMillis        = 0.0;
    bool replayOk           = true;
};

// The A* search of one level. The open list is a bucket per f = steps + bound, each split by
// the bound, so that among equal f the deepest position (smallest bound) comes first; inside
// one such bucket the last one in goes first. A position whose steps improve is put in again
// and its older entry passed over when it comes up.
class Search {
  public:
    Search(const Level& level, std::uint64_t memoryBytes, Clock::time_point deadline)
        : level_(level), table_(level.keyWords), memoryBytes_(memoryBytes), deadline_(deadline),
          boxAt_(static_cast<std::size_t>(level.floorCount), 0),
          walkStamp_(static_cast<std::size_t>(level.floorCount), 0),
          walkSteps_(static_cast<std::size_t>(level.floorCount), 0),
          queue_(static_cast<std::size_t>(level.floorCount)),
          key_(static_cast<std::size_t>(level.keyWords)),
          child_(static_cast<std::size_t>(level.keyWords)) {}

    Outcome run(LevelFigures& figures) {
        const Outcome outcome = search();
        peakBytes_            = std::max(peakBytes_, memoryBytes());
        figures.expanded      = expanded_;
        figures.stored        = table_.size();
        figures.peakBytes     = peakBytes_;
        if (outcome == Outcome::SOLVED) {
            figures.steps = nodes_[goal_].steps;
            for (std::uint32_t e = goal_; nodes_[e].parent != NO_ENTRY; e = nodes_[e].parent) {
                figures.solution.push_back(
                    {nodes_[e].stand, static_cast<goalbox::Direction>(nodes_[e].direction)});
            }
            std::reverse(figures.solution.begin(), figures.solution.end());
        }
        return outcome;
    }

  private:
    Outcome search() {
        std::int32_t bound = 0;
        for (std::int32_t f = 0; f < level_.floorCount; ++f) {
            if (testBit(level_.startKey.data(), keyBit(f))) {
                const std::uint16_t pushes = level_.goalPushes[f];
                if (pushes == NO_GOAL) {
                    return Outcome::UNSOLVABLE;
                }
                bound += pushes;
            }
        }
        if (level_.boxCount == 0) {
            return Outcome::UNSOLVABLE;
        }
        bool added = false;
        table_.findOrAdd(level_.startKey.data(), added);
        nodes_.push_back(Node{});
        addOpen(0, 0, bound);

        for (std::size_t f = 0; f < open_.size(); ++f) {
            std::size_t h = 0;
            while (h < open_[f].size()) {
                std::vector<std::uint32_t>& bucket = open_[f][h];
                if (bucket.empty()) {
                    ++h;
                    continue;
                }
                const std::uint32_t entry = bucket.back();
                bucket.pop_back();
                Node& node = nodes_[entry];
                if (node.expanded || static_cast<std::size_t>(node.steps) + h != f) {
                    continue; // reached again with fewer steps since this entry went in
                }
                if (h == 0) {
                    goal_ = entry;
                    return Outcome::SOLVED;
                }
                node.expanded = true;
                // A child with the same f has a bound smaller by one: the scan goes back there.
                h = std::min(h, expand(entry, static_cast<std::int32_t>(h)));
                if (++expanded_ % CHECK_PERIOD == 0 && Clock::now() >= deadline_) {
                    return Outcome::CAPPED;
                }
                if (peakBytes_ > memoryBytes_) {
                    return Outcome::MEMORY;
                }
            }
            openBytes_ -= bucketBytes(open_[f]);
            std::vector<std::vector<std::uint32_t>>().swap(open_[f]);
        }
        return Outcome::UNSOLVABLE;
    }

    static bool testBit(const std::uint64_t* key, std::int32_t bit) {
        return ((key[bit / 64] >> (bit % 64)) & 1u) != 0;
    }
    static void flipBit(std::uint64_t* key, std::int32_t bit) {
        key[bit / 64] ^= std::uint64_t{1} << (bit % 64);
    }
    static std::uint64_t bucketBytes(const std::vector<std::vector<std::uint32_t>>& buckets) {
        std::uint64_t bytes = buckets.capacity() * sizeof(buckets[0]);
        for (const auto& bucket : buckets) {
            bytes += bucket.capacity() * sizeof(std::uint32_t);
        }
        return bytes;
    }

    void addOpen(std::uint32_t entry, std::int32_t steps, std::int32_t bound) {
        const auto f = static_cast<std::size_t>(steps + bound);
        const auto h = static_cast<std::size_t>(bound);
        if (f >= open_.size()) {
            open_.resize(f + 1);
        }
        std::vector<std::vector<std::uint32_t>>& buckets = open_[f];
        if (h >= buckets.size()) {
            openBytes_ -= buckets.capacity() * sizeof(buckets[0]);
            buckets.resize(h + 1);
            openBytes_ += buckets.capacity() * sizeof(buckets[0]);
        }
        const std::size_t before = buckets[h].capacity();
        buckets[h].push_back(entry);
        openBytes_ += (buckets[h].capacity() - before) * sizeof(std::uint32_t);
    }

    // Walk distances from the player over floor without boxes, marked with a new stamp.
    void walk(std::int32_t player) {
        ++stamp_;
        std::size_t head = 0, tail = 0;
        queue_[tail++]     = player;
        walkStamp_[player] = stamp_;
        walkSteps_[player] = 0;
        while (head < tail) {
            const std::int32_t at = queue_[head++];
            for (const std::int32_t next : level_.neighbour[at]) {
                if (next < 0 || boxAt_[next] != 0 || walkStamp_[next] == stamp_) {
                    continue;
                }
                walkStamp_[next] = stamp_;
                walkSteps_[next] = walkSteps_[at] + 1;
                queue_[tail++]   = next;
            }
        }
    }

    // Generates every push of the position and returns the smallest bound among the children
    // that went into the bucket of the position's own f (or a larger number when none did).
    std::size_t expand(std::uint32_t entry, std::int32_t bound) {
        const std::int32_t steps = nodes_[entry].steps;
        std::copy_n(table_.key(entry), key_.size(), key_.begin());
        boxes_.clear();
        for (std::size_t w = 0; w < key_.size(); ++w) {
            std::uint64_t bits = w == 0 ? key_[0] >> PLAYER_BITS << PLAYER_BITS : key_[w];
            while (bits != 0) {
                const auto f =
                    static_cast<std::int32_t>(w * 64) + std::countr_zero(bits) - PLAYER_BITS;
                bits &= bits - 1;
                boxes_.push_back(f);
                boxAt_[f] = 1;
            }
        }
        walk(static_cast<std::int32_t>(key_[0] & ((1u << PLAYER_BITS) - 1)));

        std::size_t sameF = SIZE_MAX;
        for (const std::int32_t box : boxes_) {
            const auto& links = level_.neighbour[box];
            for (int d = 0; d < goalbox::DIR_COUNT; ++d) {
                const std::int32_t to = links[d];
                const std::int32_t stand =
                    links[goalbox::reverse(static_cast<goalbox::Direction>(d))];
                if (to < 0 || stand < 0 || boxAt_[to] != 0 || walkStamp_[stand] != stamp_ ||
                    level_.goalPushes[to] == NO_GOAL) {
                    continue;
                }
                std::copy(key_.begin(), key_.end(), child_.begin());
                child_[0] =
                    (child_[0] >> PLAYER_BITS << PLAYER_BITS) | static_cast<std::uint64_t>(box);
                flipBit(child_.data(), keyBit(box));
                flipBit(child_.data(), keyBit(to));
                const std::int32_t childBound =
                    bound - level_.goalPushes[box] + level_.goalPushes[to];
                const std::int32_t childSteps = steps + walkSteps_[stand] + 1;
                bool added                    = false;
                const std::uint32_t child     = table_.findOrAdd(child_.data(), added);
                if (added) {
                    nodes_.push_back(Node{});
                } else if (nodes_[child].expanded || nodes_[child].steps <= childSteps) {
                    continue;
                }
                nodes_[child] = Node{entry, childSteps, level_.boardCell[stand],
                                     static_cast<std::uint8_t>(d), false};
                addOpen(child, childSteps, childBound);
                if (childSteps + childBound == steps + bound) {
                    sameF = std::min(sameF, static_cast<std::size_t>(childBound));
                }
            }
        }
        for (const std::int32_t box : boxes_) {
            boxAt_[box] = 0;
        }
        peakBytes_ = std::max(peakBytes_, memoryBytes());
        return sameF;
    }

    std::uint64_t memoryBytes() const {
        return table_.memoryBytes() + nodes_.capacity() * sizeof(Node) +
               open_.capacity() * sizeof(open_[0]) + openBytes_;
    }

    const Level& level_;
    KeyTable table_;
    std::vector<Node> nodes_;
    std::vector<std::vector<std::vector<std::uint32_t>>> open_; // [f][bound] -> entries
    std::uint64_t openBytes_ = 0; // the inner vectors of open_, by capacity
    std::uint64_t memoryBytes_;
    Clock::time_point deadline_;
    std::uint64_t expanded_  = 0;
    std::uint64_t peakBytes_ = 0;
    std::uint32_t goal_      = NO_ENTRY;

    // Scratch of one expansion.
    std::vector<std::uint8_t> boxAt_;
    std::vector<std::uint32_t> walkStamp_;
    std::vector<std::int32_t> walkSteps_;
    std::vector<std::int32_t> queue_;
    std::vector<std::int32_t> boxes_;
    std::vector<std::uint64_t> key_;
    std::vector<std::uint64_t> child_;
    std::uint32_t stamp_ = 0;
};

LevelFigures solveLevel(const Board& board, const Options& options) {
    LevelFigures figures;
    const goalbox::bench::SearchTimer timer(options.capSeconds);
    {
        const Level level = buildLevel(board);
        Search search(level, options.memoryBytes, timer.deadline());
        figures.outcome = search.run(figures);
    }
    figures.millis    = timer.wallMillis();
    figures.cpuMillis = timer.cpuMillis();
    if (figures.outcome == Outcome::SOLVED) {
        figures.replayOk = goalbox::replaysToSolved(board, figures.solution, figures.steps);
    }
    return figures;
}

const char* outcomeText(const LevelFigures& f) {
    switch (f.outcome) {
    case Outcome::SOLVED:
        return "solved";
    case Outcome::UNSOLVABLE:
        return "unsolvable";
    case Outcome::CAPPED:
        return "capped";
    case Outcome::MEMORY:
        return "memory";
    }
    return "?";
}

void printLevel(const LevelFigures& f) {
    std::printf("%-12s ", f.name.c_str());
    if (f.outcome == Outcome::SOLVED) {
        std::printf("steps %5d  pushes %4zu", f.steps, f.solution.size());
    } else {
        std::printf("%-25s", outcomeText(f));
    }
    std::printf("  expanded %10llu  stored %10llu  MiB %8.1f  ms %10.1f  cpu ms %10.1f",
                static_cast<unsigned long long>(f.expanded),
                static_cast<unsigned long long>(f.stored),
                static_cast<double>(f.peakBytes) / (1024.0 * 1024.0), f.millis, f.cpuMillis);
    std::printf(f.replayOk ? "\n" : "  WRONG\n");
    std::fflush(stdout);
}

void usage() {
    std::fprintf(stderr, "usage: goalbox-astar [--cap SECONDS] [--memory MIB] PATH...\n");
}

bool parseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--cap" || arg == "--memory") && i + 1 < argc) {
            const char* value = argv[++i];
            if (arg == "--cap") {
                options.capSeconds = std::strtod(value, nullptr);
            } else {
                options.memoryBytes = std::strtoull(value, nullptr, 10) << 20;
            }
            continue;
        }
        if (arg.starts_with("-")) {
            return false;
        }
        goalbox::bench::appendLevelFiles(arg, options.levels);
    }
    return !options.levels.empty() && options.capSeconds > 0.0;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parseOptions(argc, argv, options)) {
        usage();
        return 2;
    }
    std::uint64_t expanded = 0, stored = 0, peakBytes = 0;
    double millis = 0.0, cpuMillis = 0.0;
    int solved = 0, capped = 0, unsolvable = 0, wrong = 0;
    for (const auto& path : options.levels) {
        Board board;
        if (board.load(path.string()) != goalbox::LOAD_OK) {
            std::printf("%-12s cannot be loaded  WRONG\n", path.filename().string().c_str());
            ++wrong;
            continue;
        }
        LevelFigures f = solveLevel(board, options);
        f.name         = path.filename().string();
        printLevel(f);
        expanded += f.expanded;
        stored += f.stored;
        peakBytes = std::max(peakBytes, f.peakBytes);
        millis += f.millis;
        cpuMillis += f.cpuMillis;
        if (!f.replayOk) {
            ++wrong;
        } else if (f.outcome == Outcome::SOLVED) {
            ++solved;
        } else if (f.outcome == Outcome::UNSOLVABLE) {
            ++unsolvable;
        } else {
            ++capped;
        }
    }
    std::printf("\nLevels solved:        %d / %zu (capped %d, unsolvable %d, wrong %d)\n", solved,
                options.levels.size(), capped, unsolvable, wrong);
    std::printf("Total time:           %.1f ms, CPU %.1f ms\n", millis, cpuMillis);
    std::printf("Positions expanded:   %llu\n", static_cast<unsigned long long>(expanded));
    std::printf("Positions stored:     %llu\n", static_cast<unsigned long long>(stored));
    std::printf("Largest memory peak:  %.1f MiB (counted: containers by capacity)\n",
                static_cast<double>(peakBytes) / (1024.0 * 1024.0));
    std::printf("Expanded per CPU s:   %.0f\n",
                cpuMillis > 0.0 ? static_cast<double>(expanded) * 1000.0 / cpuMillis : 0.0);
    return wrong == 0 ? 0 : 1;
}
