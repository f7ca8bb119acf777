// Fuzz target: the fast search against the plain one on small boards.
//
// The bytes read as a small map: an optional first line of digits gives the steps already made
// (modulo 1000); then rows up to the next line break, at most 6 rows of at most 6 cells (the
// rest is dropped, short rows end in outside cells). The level characters mean what they mean
// in a level file, '_' is outside, and any other byte is one of the six cell codes. Boxes past
// the fourth are left out, the first '@' or '+' places the player (later ones are floor or
// goal), and without one the player starts on the first floor or goal cell; a board without
// such a cell is passed over. No wall ring is added, so pushes and walks reach the grid's edge.
//
// The plain search gives up after a fixed number of expansions, so every input runs quickly;
// when it ended, the fast search must give the same result and the same route, appended
// behind the caller's earlier steps, and a route must replay to a solved board with exactly
// the result's steps; the same again with the tables of box sets added after the first few
// expansions, and with the table of the positions near the end from the start.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "board/Board.h"
#include "solver/Solve.h"
#include "solver/exact/SearchTuning.h"
#include "solver/reference/PlainSearch.h"
#include "solver/reference/SearchState.h"
#include "solver/reference/SolutionCheck.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/support/MidSearchTunings.h"

namespace goalbox::fuzz {
namespace {

constexpr int MAX_SIDE                 = 6;
constexpr int MAX_BOXES                = 4;
constexpr std::uint64_t MAX_EXPANSIONS = 2000;
constexpr std::uint8_t CODES[]         = {CELL_OUTSIDE, CELL_WALL,        CELL_BOX,
                                          CELL_FLOOR,   CELL_BOX_ON_GOAL, CELL_GOAL};
constexpr std::size_t CODE_COUNT       = sizeof CODES / sizeof CODES[0];

std::uint8_t cellCode(std::uint8_t byte) {
    switch (byte) {
    case '#':
        return CELL_WALL;
    case ' ':
    case '@':
        return CELL_FLOOR;
    case '$':
        return CELL_BOX;
    case '.':
    case '+':
        return CELL_GOAL;
    case '*':
        return CELL_BOX_ON_GOAL;
    case '_':
        return CELL_OUTSIDE;
    default:
        return CODES[byte % CODE_COUNT];
    }
}

// False when the bytes give no cell the player can stand on.
bool boardFrom(const std::uint8_t* data, std::size_t size, Board& board) {
    std::size_t at = 0;
    int steps      = 0;
    if (at < size && data[at] >= '0' && data[at] <= '9') {
        for (; at < size && data[at] >= '0' && data[at] <= '9'; ++at) {
            steps = (steps * 10 + (data[at] - '0')) % 1000;
        }
        at += at < size && data[at] == '\n' ? 1 : 0;
    }
    std::vector<std::vector<std::uint8_t>> rows;
    std::vector<std::uint8_t> letters; // the map character of each cell, for the player
    std::size_t width = 0;
    while (at < size && rows.size() < MAX_SIDE) {
        rows.emplace_back();
        for (; at < size && data[at] != '\n'; ++at) {
            if (rows.back().size() < MAX_SIDE) {
                rows.back().push_back(data[at]);
            }
        }
        ++at; // the line break
        width = rows.back().size() > width ? rows.back().size() : width;
    }
    board.height = static_cast<std::int16_t>(rows.size());
    board.width  = static_cast<std::int16_t>(width);
    board.steps  = static_cast<std::int16_t>(steps);
    board.cells.assign(rows.size() * width, CELL_OUTSIDE);
    letters.assign(board.cells.size(), '_');
    int boxes = 0;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            std::uint8_t code = cellCode(rows[r][c]);
            if (isBox(code) && ++boxes > MAX_BOXES) {
                code = withoutBox(code);
            }
            board.cells[r * width + c] = code;
            letters[r * width + c]     = rows[r][c];
        }
    }
    CellIndex player = -1;
    for (std::size_t cell = 0; cell < board.cells.size() && player == -1; ++cell) {
        if (letters[cell] == '@' || letters[cell] == '+') {
            player = static_cast<CellIndex>(cell);
        }
    }
    for (std::size_t cell = 0; cell < board.cells.size() && player == -1; ++cell) {
        if (board.cells[cell] == CELL_FLOOR || board.cells[cell] == CELL_GOAL) {
            player = static_cast<CellIndex>(cell);
        }
    }
    if (player == -1) {
        return false;
    }
    board.playerCell = player;
    board.init();
    return true;
}

} // namespace
} // namespace goalbox::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace goalbox;
    using namespace goalbox::fuzz;
    Board board;
    if (!boardFrom(data, size, board)) {
        return 0;
    }
    const std::vector<SolutionStep> earlier{{2, DIR_UP}};

    std::vector<SolutionStep> plainRoute = earlier;
    SolveStats plainStats;
    const std::int32_t plainResult =
        plain::solve(board, plainRoute, plain::expansionCap(MAX_EXPANSIONS), &plainStats);
    if (plainStats.aborted) {
        FUZZ_CHECK(plainResult == -1 && plainRoute == earlier);
        return 0;
    }
    std::vector<SolutionStep> fastRoute = earlier;
    SolveStats fastStats;
    const std::int32_t fastResult = solve(board, fastRoute, SolveLimits{}, &fastStats);
    FUZZ_CHECK(!fastStats.aborted);
    FUZZ_CHECK(fastResult == plainResult);
    FUZZ_CHECK(fastRoute == plainRoute);
    FUZZ_CHECK(fastStats.solutionPushes == plainStats.solutionPushes);
    // Again with the tables added in the middle of the search.
    for (const SearchTuning& tuning : goalbox::test::midSearchTunings()) {
        std::vector<SolutionStep> route = earlier;
        FUZZ_CHECK(solveTuned(board, route, SolveLimits{}, tuning, nullptr) == plainResult);
        FUZZ_CHECK(route == plainRoute);
    }

    const std::vector<SolutionStep> route(
        fastRoute.begin() + static_cast<std::ptrdiff_t>(earlier.size()), fastRoute.end());
    FUZZ_CHECK(static_cast<std::size_t>(fastStats.solutionPushes) == route.size());
    if (fastResult == -1) {
        FUZZ_CHECK(route.empty());
    } else {
        FUZZ_CHECK(replaysToSolved(board, route, fastResult));
    }

    // The search for some route finds one exactly where the fewest steps exist, never shorter,
    // and it replays.
    std::vector<SolutionStep> anyRoute = earlier;
    SolveStats anyStats;
    const std::int32_t anyResult = solveAny(board, anyRoute, SolveLimits{}, &anyStats);
    FUZZ_CHECK(std::equal(earlier.begin(), earlier.end(), anyRoute.begin()));
    anyRoute.erase(anyRoute.begin(),
                   anyRoute.begin() + static_cast<std::ptrdiff_t>(earlier.size()));
    if (plainResult == -1) {
        FUZZ_CHECK(anyResult == -1 && anyRoute.empty());
    } else {
        FUZZ_CHECK(anyResult >= plainResult);
        FUZZ_CHECK(replaysToSolved(board, anyRoute, anyResult));
    }
    return 0;
}
