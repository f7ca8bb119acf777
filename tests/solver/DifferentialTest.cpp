// The fast search against the plain one (solver/reference/PlainSearch): for every board, the same
// result and the same route, push for push. The plain search is the definition; nothing but this
// comparison shows that the one sweep, its bound, the tables of box sets (also when they come in
// the middle of a search) and the narrowed dead tests leave every answer as it was.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "board/Board.h"
#include "solver/Solve.h"
#include "solver/exact/SearchTuning.h"
#include "solver/reference/PlainSearch.h"
#include "support/MidSearchTunings.h"
#include "support/Sanitizer.h"
#include "support/SharedLevels.h"
#include "tests/solver/RandomRoom.h"
#include "tests/solver/TestBoard.h"

namespace goalbox {
namespace {

#ifdef GOALBOX_ASAN
constexpr int ROUND_DIVISOR = 4;
#else
constexpr int ROUND_DIVISOR = 1;
#endif

const std::string LEVELS = std::string(GOALBOX_SHARED_LEVELS) + "/";

enum class Compared { SAME_ANSWER, PLAIN_CAPPED };

// Runs both searches on board and expects equal results and routes. The caller's array holds
// a step already, which neither search may touch. The plain search gives up after
// maxExpansions, and then nothing is compared.
Compared expectSameAsPlain(const Board& board, std::uint64_t maxExpansions, std::int32_t* result) {
    const std::vector<SolutionStep> earlier{{3, DIR_LEFT}};
    std::vector<SolutionStep> plainRoute = earlier;
    SolveStats plainStats;
    const std::int32_t plainResult =
        plain::solve(board, plainRoute, plain::expansionCap(maxExpansions), &plainStats);
    if (plainStats.aborted) {
        return Compared::PLAIN_CAPPED;
    }
    std::vector<SolutionStep> fastRoute = earlier;
    SolveStats stats;
    const std::int32_t fast = solve(board, fastRoute, SolveLimits{}, &stats);
    EXPECT_EQ(fast, plainResult);
    EXPECT_EQ(fastRoute, plainRoute);
    EXPECT_FALSE(stats.aborted);
    // Again with the tables added in the middle of the search (midSearchTunings).
    for (const SearchTuning& tuning : goalbox::test::midSearchTunings()) {
        std::vector<SolutionStep> route = earlier;
        EXPECT_EQ(solveTuned(board, route, SolveLimits{}, tuning, nullptr), plainResult);
        EXPECT_EQ(route, plainRoute);
    }
    if (result != nullptr) {
        *result = fast;
    }
    return Compared::SAME_ANSWER;
}

// A small board with no wall ring: rows of random cells, where some rows and columns start
// with plain floor (so a dead scan's start position can move with the boxes), some cells are
// outside, and boards can be one or two cells wide. Most are unsolvable or trapped at once.
std::vector<std::string> randomOpenBoard(std::mt19937& random) {
    std::uniform_int_distribution<int> size(1, 6);
    const int height            = size(random);
    const int width             = size(random);
    static const char letters[] = "     ####$$..*_";
    std::uniform_int_distribution<int> pick(0, static_cast<int>(sizeof(letters)) - 2);
    std::vector<std::string> rows(static_cast<std::size_t>(height),
                                  std::string(static_cast<std::size_t>(width), ' '));
    for (std::string& row : rows) {
        for (char& cell : row) {
            cell = letters[pick(random)];
        }
    }
    std::uniform_int_distribution<int> row(0, height - 1);
    std::uniform_int_distribution<int> column(0, width - 1);
    rows[static_cast<std::size_t>(row(random))][static_cast<std::size_t>(column(random))] = '@';
    return rows;
}

TEST(Differential, RandomRoomsGiveTheRoutesOfThePlainSearch) {
    std::mt19937 random(5150);
    int solved       = 0;
    int unsolved     = 0;
    int compared     = 0;
    const int rounds = 4000 / ROUND_DIVISOR;
    for (int round = 0; round < rounds; ++round) {
        // Rooms from 3 x 3 to 8 x 6 with one to five boxes, mostly solvable by construction.
        const int innerWidth  = 3 + round % 6;
        const int innerHeight = 3 + (round / 6) % 4;
        const int boxCount    = 1 + round % 5;
        const int pulls       = round % 5 == 0 ? 0 : 10 + round % 60;
        const std::vector<std::string> rows =
            test::randomRoom(random, innerWidth, innerHeight, boxCount, pulls);
        SCOPED_TRACE(test::picture(rows));
        std::int32_t result = -1;
        const Board board   = test::boardFromRows(rows, static_cast<std::int16_t>(round % 7));
        if (expectSameAsPlain(board, 4000, &result) == Compared::SAME_ANSWER) {
            ++compared;
            (result == -1 ? unsolved : solved) += 1;
        }
    }
    std::printf("random rooms: %d compared (%d solved, %d without solution)\n", compared, solved,
                unsolved);
    EXPECT_GT(solved, rounds / 2);
    EXPECT_GT(unsolved, rounds / 20);
}

// Larger rooms: longer searches, where passes improve positions reached first by a dearer path,
// retire nodes and cut at the limit many times over.
TEST(Differential, LargerRandomRoomsGiveTheRoutesOfThePlainSearch) {
    std::mt19937 random(1729);
    int compared     = 0;
    const int rounds = 600 / ROUND_DIVISOR;
    for (int round = 0; round < rounds; ++round) {
        const std::vector<std::string> rows =
            test::randomRoom(random, 7 + round % 4, 5 + round % 3, 2 + round % 5, 30 + round % 200);
        SCOPED_TRACE(test::picture(rows));
        const Board board = test::boardFromRows(rows);
        compared += expectSameAsPlain(board, 10000, nullptr) == Compared::SAME_ANSWER ? 1 : 0;
    }
    std::printf("larger rooms: %d compared\n", compared);
    EXPECT_GT(compared, rounds * 3 / 4);
}

TEST(Differential, RandomOpenBoardsGiveTheRoutesOfThePlainSearch) {
    std::mt19937 random(8086);
    int solved       = 0;
    int compared     = 0;
    const int rounds = 10000 / ROUND_DIVISOR;
    for (int round = 0; round < rounds; ++round) {
        const std::vector<std::string> rows = randomOpenBoard(random);
        SCOPED_TRACE(test::picture(rows));
        std::int32_t result = -1;
        const Board board   = test::boardFromRows(rows, static_cast<std::int16_t>(round % 3));
        if (expectSameAsPlain(board, 4000, &result) == Compared::SAME_ANSWER) {
            ++compared;
            solved += result != -1 ? 1 : 0;
        }
    }
    std::printf("open boards: %d compared, %d solved\n", compared, solved);
    EXPECT_GT(compared, rounds * 9 / 10);
    EXPECT_GT(solved, rounds / 50);
}

// Levels of the shared collections that the plain search solves in at most a second or so (an
// extended test: the collections lie beside the repository, not in it):
// every small level of the golden file but the longest searches, and a choice of medium ones.
// (Of the classic collection it solves none within seconds.) Under the sanitizers, only those
// that the plain search solves within a much smaller cap.
struct SharedLevel {
    std::string folder;
    std::string name;
};

std::vector<SharedLevel> sharedLevels() {
    // The small levels whose plain search expands more than 30000 nodes.
    const std::set<std::string> longSearches = {"0036.txt", "0078.txt", "0097.txt", "0106.txt",
                                                "0113.txt", "0115.txt", "0133.txt", "0137.txt",
                                                "0140.txt", "0141.txt", "0151.txt"};
    std::vector<SharedLevel> levels;
    std::ifstream golden(std::string(GOALBOX_SOURCE_DIR) + "/tests/solver/golden-small-a.txt");
    for (std::string line; std::getline(golden, line);) {
        const std::string name = line.substr(0, line.find(' '));
        if (!line.empty() && line[0] != '#' && longSearches.count(name) == 0) {
            levels.push_back(SharedLevel{"small-a", name});
        }
    }
    for (const char* name : {"0008", "0025", "0044", "0055", "0056", "0058", "0063", "0072", "0077",
                             "0079", "0088", "0093", "0099"}) {
        levels.push_back(SharedLevel{"medium-b", std::string(name) + ".txt"});
    }
    // 0040 comes solved as it is given.
    for (const char* name : {"0022", "0031", "0036", "0040"}) {
        levels.push_back(SharedLevel{"medium-c", std::string(name) + ".txt"});
    }
    return levels;
}

TEST(Differential, SharedLevelsGiveTheRoutesOfThePlainSearch) {
    GOALBOX_SKIP_WITHOUT_SHARED_LEVELS();
    const std::vector<SharedLevel> levels = sharedLevels();
    ASSERT_GT(levels.size(), 130u);
    int compared = 0;
    for (const SharedLevel& level : levels) {
        SCOPED_TRACE(level.folder + "/" + level.name);
        Board board;
        ASSERT_EQ(board.load(LEVELS + level.folder + "/" + level.name), LOAD_OK);
#ifdef GOALBOX_ASAN
        compared += expectSameAsPlain(board, 3000, nullptr) == Compared::SAME_ANSWER ? 1 : 0;
#else
        // Each of these ends well within the cap: the plain search is deterministic.
        EXPECT_EQ(expectSameAsPlain(board, 100000, nullptr), Compared::SAME_ANSWER);
        ++compared;
#endif
    }
    std::printf("shared levels: %d compared\n", compared);
    EXPECT_GE(compared, 60);
}

} // namespace
} // namespace goalbox
