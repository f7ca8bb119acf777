// goalbox-bench: solves level files, checks every solution by replaying it, and prints the
// figures of each search and their totals. With --golden it also writes the golden file that
// the solver tests compare against.
//
//   goalbox-bench [--cap SECONDS] [--memory MIB] [--golden FILE] [--golden-cap SECONDS] PATH...
//
// --cap is the time cap of each search (default 10 s). The golden file gets one line for each
// level whose search ended within --golden-cap (default 5 s).
// A PATH that is a directory stands for every *.txt file in it, in sorted order.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>
#include <vector>

#include "bench/SearchTimer.h"
#include "board/Board.h"
#include "solver/Search.h"
#include "solver/SearchState.h"
#include "solver/SolutionCheck.h"

namespace {

using goalbox::Board;
using goalbox::SolutionStep;
using Clock = std::chrono::steady_clock;

// Golden lines of searches faster than this are marked "fast": the sanitizer build checks only
// those.
constexpr double FAST_MILLIS = 300.0;

struct Options {
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
    std::vector<SolutionStep> solution;
};

void usage() {
    std::fprintf(stderr, "usage: goalbox-bench [--cap SECONDS] [--memory MIB] [--golden FILE] "
                         "[--golden-cap SECONDS] PATH...\n");
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
        } else if (!arg.empty() && arg[0] == '-') {
            return false;
        } else if (std::filesystem::is_directory(arg)) {
            std::vector<std::filesystem::path> found;
            for (const auto& entry : std::filesystem::directory_iterator(arg)) {
                if (entry.is_regular_file() && entry.path().extension() == ".txt") {
                    found.push_back(entry.path());
                }
            }
            std::sort(found.begin(), found.end());
            options.levels.insert(options.levels.end(), found.begin(), found.end());
        } else {
            options.levels.emplace_back(arg);
        }
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

LevelFigures runLevel(const std::filesystem::path& path, const Options& options) {
    LevelFigures figures;
    figures.name = path.filename().string();
    Board board;
    if (board.load(path.string()) != goalbox::LOAD_OK) {
        figures.replayOk = false;
        return figures;
    }
    const goalbox::bench::SearchTimer timer(options.capSeconds);
    const auto deadline = timer.deadline();
    goalbox::SolveLimits limits;
    limits.memoryBudgetBytes = options.memoryBytes;
    limits.shouldStop        = [deadline] { return Clock::now() >= deadline; };
    try {
        figures.result = goalbox::solve(board, figures.solution, limits, &figures.stats);
    } catch (const std::bad_alloc&) {
        figures.outOfMemory = true;
    }
    figures.millis    = timer.wallMillis();
    figures.cpuMillis = timer.cpuMillis();
    figures.capped    = figures.stats.aborted;
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

void printLevel(const LevelFigures& f) {
    std::printf("%-12s ", f.name.c_str());
    if (f.result != -1) {
        std::printf("steps %5d  pushes %4d", f.result, f.stats.solutionPushes);
    } else {
        const char* what = f.outOfMemory ? "memory" : f.capped ? "capped" : "unsolvable";
        std::printf("%-25s", what);
    }
    std::printf("  nodes %10llu  guided %10llu  states %10llu  passes %5d  B/pos %5.1f  ms %10.1f",
                static_cast<unsigned long long>(f.stats.nodesExpanded),
                static_cast<unsigned long long>(f.stats.guidedExpanded),
                static_cast<unsigned long long>(f.stats.statesStored), f.stats.passes,
                bytesPerPosition(f.stats), f.millis);
    std::printf("  cpu ms %10.1f", f.cpuMillis);
    if (f.result != -1) {
        std::printf("  route %08x", routeSignature(f.solution));
    }
    if (!f.replayOk) {
        std::printf("  WRONG");
    }
    std::printf("\n");
    std::fflush(stdout);
}

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
    }

    std::vector<double> solvedMillis;
    double totalMillis        = 0.0;
    double totalCpuMillis     = 0.0;
    std::uint64_t totalNodes  = 0;
    std::uint64_t totalStates = 0;
    goalbox::SolveStats largest;     // the figures of the search with the largest memory peak
    std::uint64_t finishedNodes = 0; // nodes of the searches that ended: the bench signature
    int capped = 0, unsolvable = 0, failed = 0;
    for (const auto& path : options.levels) {
        const LevelFigures f = runLevel(path, options);
        printLevel(f);
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
        if (!f.capped && !f.outOfMemory) {
            finishedNodes += f.stats.nodesExpanded;
        }
        if (f.result != -1) {
            solvedMillis.push_back(f.millis);
        } else if (f.capped || f.outOfMemory) {
            ++capped;
        } else if (f.replayOk) {
            ++unsolvable;
        }
        const bool finished = !f.capped && !f.outOfMemory && f.replayOk &&
                              f.millis < options.goldenCapSeconds * 1000.0;
        if (golden.is_open() && finished) {
            golden << f.name << " : " << f.result << " : "
                   << (f.millis < FAST_MILLIS ? "fast" : "slow") << " : " << f.stats.nodesExpanded
                   << " : " << f.stats.statesStored << " : " << goalbox::routeText(f.solution)
                   << '\n';
        }
    }

    double solvedTotal = 0.0;
    for (const double millis : solvedMillis) {
        solvedTotal += millis;
    }
    double median = 0.0;
    if (!solvedMillis.empty()) {
        std::vector<double> sorted = solvedMillis;
        std::sort(sorted.begin(), sorted.end());
        const std::size_t n = sorted.size();
        median = n % 2 == 1 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2.0;
    }
    std::printf("\nLevels solved:        %zu / %zu (capped %d, unsolvable %d, wrong %d)\n",
                solvedMillis.size(), options.levels.size(), capped, unsolvable, failed);
    std::printf("Solved time total:    %.1f ms, median %.1f ms\n", solvedTotal, median);
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
                totalMillis > 0.0 ? static_cast<double>(totalNodes) * 1000.0 / totalMillis : 0.0);
    return failed == 0 ? 0 : 1;
}
