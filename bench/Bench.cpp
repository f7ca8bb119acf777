// goalbox-bench: solves level files, checks every solution by replaying it, and prints the
// figures of each search and their totals. With --plain it runs the plain search after the
// fast one on every level and compares their answers and times. With --golden it also writes
// the golden file that the solver tests compare against. With --any it runs the search for some
// route (solveAny) alone instead, and compares each route's steps with the length of a known
// solution where the level file gives one after its REM line. With --beside it runs the exact
// search as usual while solveAny works on the same level on a second thread, as in the game, and
// stops that one when the exact search ends: the figures are the exact search's.
//
//   goalbox-bench [--plain | --any | --beside] [--cap SECONDS] [--memory MIB] [--golden FILE]
//                 [--golden-cap SECONDS] [--quick | PATH...]
//
// Without PATH it runs the default set: the shipped levels and bench/levels of the source tree;
// --quick runs a fixed part of it and prints the line "Quick signature: N".
//
// --cap is the time cap of each search (default 10 s). The golden file gets one line for each
// level whose search ended within --golden-cap (default 5 s); with --plain, for each level
// where both searches ended with the same answer, the plain one within --golden-cap.
// A PATH that is a directory stands for every *.txt file in it, in sorted order.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "bench/LevelFiles.h"
#include "bench/SearchTimer.h"
#include "board/Board.h"
#include "solver/Solve.h"
#include "solver/reference/PlainSearch.h"
#include "solver/reference/SearchState.h"
#include "solver/reference/SolutionCheck.h"

namespace {

using goalbox::Board;
using goalbox::SolutionStep;
using Clock         = std::chrono::steady_clock;
using SolveFunction = std::int32_t (*)(Board, std::vector<SolutionStep>&,
                                       const goalbox::SolveLimits&, goalbox::SolveStats*);

// Golden lines of searches faster than this are marked "fast": the sanitizer build checks only
// those.
constexpr double FAST_MILLIS = 300.0;

// The source tree: the default set is its shipped levels and bench/levels.
const std::filesystem::path SOURCE_DIR = GOALBOX_SOURCE_DIR;

// The quick set: the levels of the default set whose fast searches ended within 0.3 s each in a
// Release build, some 4 s in all. Its signature is written in bench/README.md and compared by
// the test command, so every one of them must end far within the cap on any machine.
constexpr const char* QUICK_SET[] = {
    "STAGES/ZIRK/1",
    "STAGES/ZIRK/2",
    "STAGES/ZIRK/3",
    "STAGES/ZIRK/5",
    "STAGES/ZIRK/6",
    "STAGES/ZIRK/8",
    "STAGES/ZIRK/10",
    "STAGES/ZIRK/11",
    "STAGES/ZIRK/13",
    "STAGES/ZIRK/14",
    "STAGES/ZIRK/15",
    "STAGES/ZIRK/16",
    "STAGES/ZIRK/19",
    "STAGES/ZIRK/30",
    "STAGES/ZIRK/32",
    "STAGES/ZIRK/33",
    "STAGES/ZIRK/37",
    "STAGES/ZIRK/40",
    "STAGES/ZIRK/42",
    "bench/levels/medium-b-0006.txt",
    "bench/levels/medium-b-0044.txt",
    "bench/levels/medium-b-0065.txt",
    "bench/levels/medium-b-0075.txt",
    "bench/levels/medium-b-0079.txt",
    "bench/levels/medium-b-0083.txt",
    "bench/levels/medium-b-0093.txt",
    "bench/levels/medium-b-0104.txt",
    "bench/levels/medium-c-0004.txt",
    "bench/levels/medium-c-0011.txt",
    "bench/levels/medium-c-0017.txt",
    "bench/levels/medium-c-0018.txt",
    "bench/levels/medium-c-0021.txt",
    "bench/levels/medium-c-0022.txt",
    "bench/levels/medium-c-0027.txt",
    "bench/levels/medium-c-0028.txt",
    "bench/levels/medium-c-0029.txt",
    "bench/levels/medium-c-0030.txt",
    "bench/levels/medium-c-0031.txt",
    "bench/levels/medium-c-0032.txt",
    "bench/levels/medium-c-0033.txt",
    "bench/levels/medium-c-0034.txt",
    "bench/levels/medium-c-0035.txt",
    "bench/levels/medium-c-0036.txt",
    "bench/levels/medium-c-0037.txt",
    "bench/levels/medium-c-0038.txt",
    "bench/levels/medium-c-0039.txt",
    "bench/levels/medium-c-0040.txt",
};

struct Options {
    bool plain                = false;
    bool any                  = false;
    bool beside               = false;
    bool quick                = false;
    double capSeconds         = 10.0;
    std::uint64_t memoryBytes = goalbox::DEFAULT_MEMORY_BUDGET;
    std::string goldenPath;
    double goldenCapSeconds = 5.0;
    std::vector<std::filesystem::path> levels;
};

struct LevelFigures {
    std::string name;
    std::int32_t result = -1;
    goalbox::SolveStats stats;
    double millis    = 0.0;
    double cpuMillis = 0.0; // processor time of the process during the search
    bool capped      = false;
    bool outOfMemory = false;
    bool replayOk    = true;
    bool loaded      = true; // false when the level file could not be read as a level
    std::vector<SolutionStep> solution;
    std::int32_t knownSteps = -1; // the length of a known solution, from the level file

    bool ended() const { return !capped && !outOfMemory; }
};

void usage() {
    std::fprintf(stderr,
                 "usage: goalbox-bench [--plain | --any | --beside] [--cap SECONDS] [--memory MIB] "
                 "[--golden FILE] [--golden-cap SECONDS] [--quick | PATH...]\n");
}

// The shipped levels (every file of STAGES/ZIRK, numbered names in numeric order), then the
// *.txt files of bench/levels by name.
std::vector<std::filesystem::path> defaultSet() {
    std::vector<std::filesystem::path> shipped;
    for (const auto& entry : std::filesystem::directory_iterator(SOURCE_DIR / "STAGES/ZIRK")) {
        if (entry.is_regular_file()) {
            shipped.push_back(entry.path());
        }
    }
    std::sort(shipped.begin(), shipped.end(), [](const auto& a, const auto& b) {
        const std::string x = a.filename().string();
        const std::string y = b.filename().string();
        return x.size() != y.size() ? x.size() < y.size() : x < y;
    });
    std::vector<std::filesystem::path> bench;
    for (const auto& entry : std::filesystem::directory_iterator(SOURCE_DIR / "bench/levels")) {
        if (entry.is_regular_file() && entry.path().extension() == ".txt") {
            bench.push_back(entry.path());
        }
    }
    std::sort(bench.begin(), bench.end());
    shipped.insert(shipped.end(), bench.begin(), bench.end());
    return shipped;
}

// A level inside the source tree is named by its path there, so that a golden file of the
// default set says where each level is; any other by its file name.
std::string levelName(const std::filesystem::path& path) {
    std::error_code error;
    const std::filesystem::path inside = std::filesystem::relative(path, SOURCE_DIR, error);
    if (!error && !inside.empty() && *inside.begin() != "..") {
        return inside.generic_string();
    }
    return path.filename().string();
}

bool parseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--cap" || arg == "--memory" || arg == "--golden" || arg == "--golden-cap") &&
            i + 1 < argc) {
            const std::string value = argv[++i];
            if (arg == "--cap") {
                options.capSeconds = std::strtod(value.c_str(), nullptr);
            } else if (arg == "--golden-cap") {
                options.goldenCapSeconds = std::strtod(value.c_str(), nullptr);
            } else if (arg == "--memory") {
                options.memoryBytes = std::strtoull(value.c_str(), nullptr, 10) << 20;
            } else {
                options.goldenPath = value;
            }
        } else if (arg == "--plain") {
            options.plain = true;
        } else if (arg == "--any") {
            options.any = true;
        } else if (arg == "--beside") {
            options.beside = true;
        } else if (arg == "--quick") {
            options.quick = true;
        } else if (!arg.empty() && arg[0] == '-') {
            return false;
        } else {
            goalbox::bench::appendLevelFiles(arg, options.levels);
        }
    }
    if ((options.quick && !options.levels.empty()) ||
        (options.plain + options.any + options.beside > 1)) {
        return false;
    }
    if (options.quick) {
        for (const char* level : QUICK_SET) {
            options.levels.push_back(SOURCE_DIR / level);
        }
    } else if (options.levels.empty()) {
        options.levels = defaultSet();
    }
    return !options.levels.empty() && options.capSeconds > 0.0;
}

// 32-bit FNV-1a over the steps: for each step the two bytes of cell (low byte first) and the
// low byte of direction.
std::uint32_t routeSignature(const std::vector<SolutionStep>& solution) {
    std::uint32_t hash = 2166136261u;
    auto mix           = [&hash](std::uint8_t byte) {
        hash ^= byte;
        hash *= 16777619u;
    };
    for (const SolutionStep& step : solution) {
        const auto cell = static_cast<std::uint16_t>(step.cell);
        mix(static_cast<std::uint8_t>(cell & 0xFF));
        mix(static_cast<std::uint8_t>(cell >> 8));
        mix(static_cast<std::uint8_t>(step.direction));
    }
    return hash;
}

// The first number on the lines after the line REM of a level file (the length of a known
// solution, "reference solution: 230 moves"), or -1.
std::int32_t knownSolutionSteps(const std::filesystem::path& path) {
    std::ifstream file(path);
    std::string line;
    bool afterMap = false;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!afterMap) {
            afterMap = line == "REM";
            continue;
        }
        const std::size_t digit = line.find_first_of("0123456789");
        if (digit != std::string::npos) {
            return static_cast<std::int32_t>(std::strtol(line.c_str() + digit, nullptr, 10));
        }
    }
    return -1;
}

// The exact search with solveAny working on the same board on a second thread, which is told
// to stop once the exact search ends, whatever the way. As in the game, the answer is there
// before that thread has wound down: runLevel joins it after taking the time.
std::thread besideThread;
std::atomic<bool> exactEnded{false};

std::int32_t solveBeside(Board board, std::vector<SolutionStep>& solution,
                         const goalbox::SolveLimits& limits, goalbox::SolveStats* stats) {
    exactEnded = false;
    goalbox::SolveLimits anyLimits;
    // A quarter of the budget beside the whole of it, as the game gives the second search a
    // quarter; the exact search keeps the budget asked for, so its figures stay those of a
    // run without --beside.
    anyLimits.memoryBudgetBytes = limits.memoryBudgetBytes / 4;
    anyLimits.shouldStop        = [] { return exactEnded.load(); };
    besideThread                = std::thread([anyLimits, board] {
        std::vector<SolutionStep> route;
        try {
            goalbox::solveAny(board, route, anyLimits, nullptr);
        } catch (const std::bad_alloc&) {
        }
    });
    struct Ended {
        ~Ended() { exactEnded = true; }
    } ended;
    return goalbox::solve(std::move(board), solution, limits, stats);
}

void joinBeside() {
    if (besideThread.joinable()) {
        besideThread.join();
    }
}

LevelFigures runLevel(const std::filesystem::path& path, const Options& options,
                      SolveFunction solve) {
    LevelFigures figures;
    figures.name       = levelName(path);
    figures.knownSteps = knownSolutionSteps(path);
    Board board;
    if (board.load(path.string()) != goalbox::LOAD_OK) {
        figures.loaded   = false;
        figures.replayOk = false;
        return figures;
    }
    const goalbox::bench::SearchTimer timer(options.capSeconds);
    const auto deadline = timer.deadline();
    goalbox::SolveLimits limits;
    limits.memoryBudgetBytes = options.memoryBytes;
    limits.shouldStop        = [deadline] { return Clock::now() >= deadline; };
    try {
        figures.result = solve(board, figures.solution, limits, &figures.stats);
    } catch (const std::bad_alloc&) {
        figures.outOfMemory = true;
    }
    figures.millis    = timer.wallMillis();
    figures.cpuMillis = timer.cpuMillis();
    joinBeside();
    figures.capped = figures.stats.aborted;
    if (figures.result != -1) {
        figures.replayOk = goalbox::replaysToSolved(board, figures.solution, figures.result);
    }
    return figures;
}

// Heap bytes per stored position at the search's memory peak.
double bytesPerPosition(const goalbox::SolveStats& stats) {
    return stats.peakEntries == 0 ? 0.0
                                  : static_cast<double>(stats.peakMemoryBytes) /
                                        static_cast<double>(stats.peakEntries);
}

// One line per search: result, figures, and remark (for the plain search's line under the
// fast one: the ratio of times, or WRONG when the answers differ).
void printLevel(int width, const std::string& label, const LevelFigures& f,
                const std::string& remark) {
    std::printf("%-*s ", width, label.c_str());
    if (f.result != -1) {
        std::printf("steps %5d  pushes %4d", f.result, f.stats.solutionPushes);
    } else {
        const char* what = !f.loaded       ? "not a level"
                           : f.outOfMemory ? "memory"
                           : f.capped      ? "capped"
                                           : "unsolvable";
        std::printf("%-25s", what);
    }
    std::printf("  nodes %10llu  states %10llu  passes %5d  B/pos %5.1f  ms %10.1f",
                static_cast<unsigned long long>(f.stats.nodesExpanded),
                static_cast<unsigned long long>(f.stats.statesStored), f.stats.passes,
                bytesPerPosition(f.stats), f.millis);
    std::printf("  cpu ms %10.1f", f.cpuMillis);
    if (f.result != -1) {
        std::printf("  route %08x", routeSignature(f.solution));
    }
    if (!f.replayOk) {
        std::printf("  WRONG");
    }
    std::printf("%s\n", remark.c_str());
    std::fflush(stdout);
}

bool sameAnswer(const LevelFigures& a, const LevelFigures& b) {
    return a.result == b.result && a.solution == b.solution;
}

double median(std::vector<double> values) {
    if (values.empty()) {
        return 0.0;
    }
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

// The totals of the fast search over all levels.
struct Totals {
    std::vector<double> solvedMillis;
    double totalMillis        = 0.0;
    double totalCpuMillis     = 0.0;
    std::uint64_t totalNodes  = 0;
    std::uint64_t totalStates = 0;
    goalbox::SolveStats largest;     // the figures of the search with the largest memory peak
    std::uint64_t finishedNodes = 0; // nodes of the searches that ended: the bench signature
    int capped = 0, unsolvable = 0, failed = 0;

    void add(const LevelFigures& f) {
        totalMillis += f.millis;
        totalCpuMillis += f.cpuMillis;
        totalNodes += f.stats.nodesExpanded;
        totalStates += f.stats.statesStored;
        if (f.stats.peakMemoryBytes > largest.peakMemoryBytes) {
            largest = f.stats;
        }
        if (!f.replayOk) {
            ++failed;
        }
        if (f.ended()) {
            finishedNodes += f.stats.nodesExpanded;
        }
        if (f.result != -1) {
            solvedMillis.push_back(f.millis);
        } else if (!f.ended()) {
            ++capped;
        } else if (f.replayOk) {
            ++unsolvable;
        }
    }

    void print(std::size_t levels) const {
        double solvedTotal = 0.0;
        for (const double millis : solvedMillis) {
            solvedTotal += millis;
        }
        std::printf("\nLevels solved:        %zu / %zu (capped %d, unsolvable %d, wrong %d)\n",
                    solvedMillis.size(), levels, capped, unsolvable, failed);
        std::printf("Solved time total:    %.1f ms, median %.1f ms\n", solvedTotal,
                    median(solvedMillis));
        std::printf("Total time:           %.1f ms\n", totalMillis);
        std::printf("Total CPU time:       %.1f ms\n", totalCpuMillis);
        std::printf("States stored:        %llu\n", static_cast<unsigned long long>(totalStates));
        std::printf("Nodes searched:       %llu\n", static_cast<unsigned long long>(totalNodes));
        std::printf("Nodes of ended searches (signature): %llu\n",
                    static_cast<unsigned long long>(finishedNodes));
        // Small searches are dominated by fixed tables; the largest one shows what a position
        // costs.
        std::printf("Memory per position:  %.1f bytes at the largest peak, %.1f MiB for %llu "
                    "positions\n",
                    bytesPerPosition(largest),
                    static_cast<double>(largest.peakMemoryBytes) / (1024.0 * 1024.0),
                    static_cast<unsigned long long>(largest.peakEntries));
        std::printf("Nodes/second:         %.0f\n",
                    totalMillis > 0.0 ? static_cast<double>(totalNodes) * 1000.0 / totalMillis
                                      : 0.0);
    }
};

// The plain search beside the fast one: times on the levels both solve, and the levels where
// both ended with different answers.
struct Comparison {
    std::size_t bothSolved = 0;
    double fastMillis      = 0.0;
    double plainMillis     = 0.0;
    double fastCpuMillis   = 0.0;
    double plainCpuMillis  = 0.0;
    std::vector<double> ratios; // plain time / fast time, per level both solve
    std::uint64_t plainNodes = 0;
    double plainTotalMillis  = 0.0;
    int plainCapped = 0, differing = 0;

    // The remark on the plain search's line.
    std::string add(const LevelFigures& fast, const LevelFigures& plain) {
        plainNodes += plain.stats.nodesExpanded;
        plainTotalMillis += plain.millis;
        plainCapped += plain.ended() ? 0 : 1;
        if (fast.ended() && plain.ended() && !sameAnswer(fast, plain)) {
            ++differing;
            return "  WRONG: the fast search's answer differs";
        }
        if (fast.result == -1 || plain.result == -1) {
            return "";
        }
        ++bothSolved;
        fastMillis += fast.millis;
        plainMillis += plain.millis;
        fastCpuMillis += fast.cpuMillis;
        plainCpuMillis += plain.cpuMillis;
        const double ratio = plain.millis / std::max(fast.millis, 0.001);
        ratios.push_back(ratio);
        char text[32];
        std::snprintf(text, sizeof text, "  plain/fast %.1f", ratio);
        return text;
    }

    void print(std::size_t levels) const {
        std::printf("\nPlain search beside the fast one:\n");
        std::printf("Levels both solve:    %zu / %zu (plain capped %d, answers differing %d)\n",
                    bothSolved, levels, plainCapped, differing);
        std::printf("Time on those:        fast %.1f ms, plain %.1f ms\n", fastMillis, plainMillis);
        std::printf("CPU time on those:    fast %.1f ms, plain %.1f ms, plain / fast %.1f\n",
                    fastCpuMillis, plainCpuMillis,
                    fastCpuMillis > 0.0 ? plainCpuMillis / fastCpuMillis : 0.0);
        std::printf("Plain / fast:         %.1f of the totals, median of the levels' ratios "
                    "%.1f\n",
                    fastMillis > 0.0 ? plainMillis / fastMillis : 0.0, median(ratios));
        std::printf("Plain nodes/second:   %.0f\n",
                    plainTotalMillis > 0.0
                        ? static_cast<double>(plainNodes) * 1000.0 / plainTotalMillis
                        : 0.0);
    }
};

// The routes of the search for some route against the known solutions' lengths.
struct KnownComparison {
    std::vector<double> ratios; // route steps / known steps, per level with both

    std::string add(const LevelFigures& f) {
        if (f.result == -1 || f.knownSteps <= 0 || !f.replayOk) {
            return "";
        }
        const double ratio = static_cast<double>(f.result) / f.knownSteps;
        ratios.push_back(ratio);
        char text[48];
        std::snprintf(text, sizeof text, "  known %5d  ratio %.2f", f.knownSteps, ratio);
        return text;
    }

    void print() const {
        std::printf("Steps / known steps:  median %.2f over %zu levels with a known solution\n",
                    median(ratios), ratios.size());
    }
};

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parseOptions(argc, argv, options)) {
        usage();
        return 2;
    }
    std::ofstream golden;
    if (!options.goldenPath.empty()) {
        golden.open(options.goldenPath);
        if (!golden) {
            std::fprintf(stderr, "cannot write %s\n", options.goldenPath.c_str());
            return 2;
        }
        golden << "# level : steps : time class : nodes expanded : states stored : route "
                  "(cell,direction;...)\n"
               << "# Written by goalbox-bench --golden; \"fast\" marks searches under "
               << FAST_MILLIS << " ms in a Release build.\n";
        if (options.plain) {
            golden << "# Written with --plain: routes and steps are the plain search's, the node "
                      "columns the fast search's.\n";
        }
    }

    const SolveFunction exactSolve = goalbox::solve;
    const SolveFunction fastSolve  = options.any      ? goalbox::solveAny
                                     : options.beside ? solveBeside
                                                      : exactSolve;
    const SolveFunction plainSolve = goalbox::plain::solve;
    Totals totals;
    Comparison comparison;
    KnownComparison known;
    int nameWidth = 12;
    for (const auto& path : options.levels) {
        nameWidth = std::max(nameWidth, static_cast<int>(levelName(path).size()));
    }
    for (const auto& path : options.levels) {
        const LevelFigures f = runLevel(path, options, fastSolve);
        totals.add(f);
        // The golden line: the fast search's figures; with --plain, only where the plain
        // search ended within the golden cap with the same answer.
        const double goldenCapMillis = options.goldenCapSeconds * 1000.0;
        bool toGolden                = f.ended() && f.replayOk && f.millis < goldenCapMillis;
        printLevel(nameWidth, f.name, f, options.any ? known.add(f) : "");
        if (options.plain) {
            const LevelFigures p = runLevel(path, options, plainSolve);
            printLevel(nameWidth, "  plain", p, comparison.add(f, p));
            toGolden = toGolden && p.ended() && p.replayOk && p.millis < goldenCapMillis &&
                       sameAnswer(f, p);
        }
        if (golden.is_open() && toGolden) {
            golden << f.name << " : " << f.result << " : "
                   << (f.millis < FAST_MILLIS ? "fast" : "slow") << " : " << f.stats.nodesExpanded
                   << " : " << f.stats.statesStored << " : " << goalbox::routeText(f.solution)
                   << '\n';
        }
    }
    totals.print(options.levels.size());
    if (options.quick) {
        // The line that bench/README.md holds and the test command compares.
        std::printf("Quick signature: %llu\n",
                    static_cast<unsigned long long>(totals.finishedNodes));
    }
    if (options.plain) {
        comparison.print(options.levels.size());
    }
    if (options.any) {
        known.print();
    }
    return totals.failed == 0 && comparison.differing == 0 ? 0 : 1;
}
