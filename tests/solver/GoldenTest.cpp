#include <cstddef>
#include <cstdint>
#include <fstream>
#include <map>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/DeadPosition.h"
#include "board/Board.h"
#include "solver/Solve.h"
#include "solver/bounds/LowerBound.h"
#include "solver/dead/FrozenBoxes.h"
#include "solver/positions/StaticLevel.h"
#include "solver/reference/SearchState.h"
#include "solver/reference/SolutionCheck.h"
#include "support/Sanitizer.h"
#include "support/SharedLevels.h"

namespace goalbox {
namespace {

#ifdef GOALBOX_ASAN
constexpr bool FAST_LINES_ONLY = true;
#else
constexpr bool FAST_LINES_ONLY = false;
#endif

// One line of a golden file:
// "level : steps : fast|slow : nodes expanded : states stored : cell,direction;...".
// The routes and steps are those of the plain search of passes with a step limit growing by
// one (solver/reference/PlainSearch), and never change. The node counts are those of the present
// search (the sweep's expansions and the positions it stored); they pin its order and its pruning:
// a changed push order, store rule or bound may still find the same routes, but not with the same
// counts.
struct GoldenLine {
    std::string level;
    std::int32_t steps          = 0;
    bool fast                   = false;
    std::uint64_t nodesExpanded = 0;
    std::uint64_t statesStored  = 0;
    std::string route;
};

std::string trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return "";
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// A golden file and the folder that its level names are relative to.
struct GoldenSet {
    const char* name;
    std::string file;
    std::string levelDir;
    // Its levels are in the shared collections beside the repository.
    bool extended = false;
    // What a run must check at least: lines, lines checked (under the sanitizers the fast ones
    // only) and positions along the routes.
    std::size_t minLines     = 0;
    std::size_t minChecked   = 0;
    std::size_t minPositions = 0;
};

// The levels inside the repository, the shipped ones and those of bench/levels, named by their
// path in the source tree: those that the plain search solved within 5 s.
const GoldenSet BENCH_SET{"BenchSet",
                          std::string(GOALBOX_SOURCE_DIR) + "/tests/solver/golden-bench-set.txt",
                          std::string(GOALBOX_SOURCE_DIR) + "/",
                          false,
                          30,
                          30,
                          1000};
// The small levels of the shared collections.
const GoldenSet SMALL_A{"SmallA",
                        std::string(GOALBOX_SOURCE_DIR) + "/tests/solver/golden-small-a.txt",
                        std::string(GOALBOX_SHARED_LEVELS) + "/small-a/",
                        true,
                        100,
                        50,
                        2000};

// A set in the test list: its name.
void PrintTo(const GoldenSet& set, std::ostream* out) {
    *out << set.name;
}

std::vector<GoldenLine> readGolden(const std::string& path) {
    std::vector<GoldenLine> lines;
    std::ifstream file(path);
    std::string text;
    while (std::getline(file, text)) {
        if (text.empty() || text[0] == '#') {
            continue;
        }
        std::vector<std::string> fields;
        std::istringstream parts(text);
        for (std::string field; std::getline(parts, field, ':');) {
            fields.push_back(trimmed(field));
        }
        if (fields.size() == 5) {
            fields.emplace_back(); // an empty route
        }
        EXPECT_EQ(fields.size(), 6u) << text;
        if (fields.size() != 6) {
            continue;
        }
        lines.push_back(GoldenLine{fields[0], std::stoi(fields[1]), fields[2] == "fast",
                                   std::stoull(fields[3]), std::stoull(fields[4]), fields[5]});
    }
    return lines;
}

class Golden : public ::testing::TestWithParam<GoldenSet> {
  protected:
    void SetUp() override {
        if (GetParam().extended) {
            GOALBOX_SKIP_WITHOUT_SHARED_LEVELS();
        }
    }
};

TEST_P(Golden, RoutesAreUnchanged) {
    const GoldenSet& set                 = GetParam();
    const std::vector<GoldenLine> golden = readGolden(set.file);
    ASSERT_GE(golden.size(), set.minLines) << set.file;
    std::size_t checked = 0;
    for (const GoldenLine& line : golden) {
        if (FAST_LINES_ONLY && !line.fast) {
            continue;
        }
        SCOPED_TRACE(line.level);
        Board board;
        ASSERT_EQ(board.load(set.levelDir + line.level), LOAD_OK);
        std::vector<SolutionStep> solution;
        SolveStats stats;
        const std::int32_t steps = solve(board, solution, SolveLimits{}, &stats);
        EXPECT_EQ(steps, line.steps);
        EXPECT_EQ(stats.nodesExpanded, line.nodesExpanded);
        EXPECT_EQ(stats.statesStored, line.statesStored);
        EXPECT_EQ(routeText(solution), line.route)
            << "expected " << line.steps << " : " << line.route << "\nobserved " << steps << " : "
            << routeText(solution);
        if (steps != -1) {
            EXPECT_TRUE(replaysToSolved(board, solution, steps));
        }
        ++checked;
    }
    EXPECT_GE(checked, set.minChecked);
}

std::vector<SolutionStep> routeSteps(const std::string& text) {
    std::vector<SolutionStep> steps;
    std::istringstream parts(text);
    for (std::string step; std::getline(parts, step, ';');) {
        const std::size_t comma = step.find(',');
        steps.push_back(SolutionStep{static_cast<CellIndex>(std::stoi(step.substr(0, comma))),
                                     static_cast<Direction>(std::stoi(step.substr(comma + 1)))});
    }
    return steps;
}

// The passes keep a position only while its steps plus the lower bound stay within the fewest
// steps, and the searches drop positions that the bound or the freeze test finds hopeless.
// None of this may ever hit a position of a route: along every golden route, before each push
// and at the end, the position is not trapped, not hopeless, and its steps plus its estimate
// stay within the route's steps, and no push leaves its box frozen off a goal.
TEST_P(Golden, NoPositionOfARouteIsHopelessOrBeyondTheBound) {
    const GoldenSet& set                 = GetParam();
    const std::vector<GoldenLine> golden = readGolden(set.file);
    std::size_t positions                = 0;
    std::size_t tight                    = 0;
    for (const GoldenLine& line : golden) {
        SCOPED_TRACE(line.level);
        Board board;
        ASSERT_EQ(board.load(set.levelDir + line.level), LOAD_OK);
        const StaticLevel level(board);
        LowerBound bound(level);
        FrozenBoxes freeze(level, bound);
        std::vector<std::uint64_t> key(static_cast<std::size_t>(level.keyWords));
        const std::vector<SolutionStep> route = routeSteps(line.route);
        for (std::size_t i = 0; i <= route.size(); ++i) {
            level.keyOf(board, key.data());
            const std::int32_t estimate = bound.estimate(key.data());
            ASSERT_NE(estimate, BOUND_DEAD) << "before push " << i;
            EXPECT_LE(bound.nearestSum(key.data()), estimate);
            EXPECT_LE(board.steps + estimate, line.steps) << "before push " << i;
            EXPECT_FALSE(isTrapped(board)) << "before push " << i;
            tight += board.steps + estimate == line.steps ? 1 : 0;
            ++positions;
            if (i == route.size()) {
                break;
            }
            WalkPath walk;
            ASSERT_NE(board.walkTo(route[i].cell, walk), -1);
            const CellIndex box = board.move(route[i].direction);
            ASSERT_NE(box, -1);
            // The box pushed is never frozen off a goal.
            level.keyOf(board, key.data());
            const auto pushedTo = static_cast<CellIndex>(box + board.dirOffset[route[i].direction]);
            EXPECT_FALSE(freeze.isFrozenOffGoal(key.data(), pushedTo)) << "after push " << i;
        }
        EXPECT_TRUE(board.isSolved());
    }
    EXPECT_GT(positions, set.minPositions);
    // At least the end of every route is tight: solved, with the route's steps.
    EXPECT_GE(tight, golden.size());
}

INSTANTIATE_TEST_SUITE_P(Levels, Golden, ::testing::Values(BENCH_SET, SMALL_A),
                         [](const ::testing::TestParamInfo<GoldenSet>& param) {
                             return std::string(param.param.name);
                         });

// The golden steps of the small levels are the fewest moves found by an independent exact
// search. That search does not know the dead patterns; a solution never passes through one, so
// both must agree.
TEST(GoldenSmallA, StepsAreTheKnownFewestMoves) {
    GOALBOX_SKIP_WITHOUT_SHARED_LEVELS();
    std::map<std::string, std::int32_t> optimal;
    std::ifstream table(SMALL_A.levelDir + "OPTIMAL.tsv");
    std::string header;
    std::getline(table, header);
    std::string level;
    std::int32_t moves  = 0;
    std::int32_t pushes = 0;
    while (table >> level >> moves >> pushes) {
        optimal[level] = moves;
    }
    ASSERT_GE(optimal.size(), 100u);

    std::size_t compared = 0;
    for (const GoldenLine& line : readGolden(SMALL_A.file)) {
        const auto known = optimal.find(line.level);
        if (known == optimal.end()) {
            continue;
        }
        EXPECT_EQ(line.steps, known->second) << line.level;
        ++compared;
    }
    EXPECT_GE(compared, 100u);
}

} // namespace
} // namespace goalbox
