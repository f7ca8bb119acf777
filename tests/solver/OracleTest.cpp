#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "ReferenceSolver.h"
#include "TestBoard.h"
#include "board/Board.h"
#include "solver/Search.h"
#include "solver/SearchState.h"

namespace goalbox {
namespace {

// Replays the solution from start: each walk and each push must succeed. Returns the final
// board.
Board replay(const Board& start, const std::vector<SolutionStep>& solution) {
    Board board = start;
    for (const SolutionStep& step : solution) {
        WalkPath walk;
        EXPECT_NE(board.walkTo(step.cell, walk), -1);
        const auto dir   = static_cast<Direction>(step.direction);
        const auto boxAt = static_cast<std::size_t>(step.cell + board.dirOffset[dir]);
        EXPECT_TRUE(boxAt < board.cells.size() && isBox(board.cells[boxAt]));
        EXPECT_NE(board.move(dir), -1);
    }
    return board;
}

// A walled room of the given inner size with a few inner walls, boxCount boxes and as many
// goals, and the player on a free cell. With pulls > 0 the boxes start on the goals and the
// player then pulls them about at random, so the room is solvable; with pulls 0 boxes and
// goals are placed at random, which is often unsolvable.
std::vector<std::string> randomRoom(std::mt19937& random, int innerWidth, int innerHeight,
                                    int boxCount, int pulls) {
    std::vector<std::string> rows(static_cast<std::size_t>(innerHeight + 2),
                                  std::string(static_cast<std::size_t>(innerWidth + 2), '#'));
    std::vector<std::pair<int, int>> free;
    std::bernoulli_distribution wall(0.1);
    for (int r = 1; r <= innerHeight; ++r) {
        for (int c = 1; c <= innerWidth; ++c) {
            if (!wall(random)) {
                rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] = ' ';
                free.emplace_back(r, c);
            }
        }
    }
    if (static_cast<int>(free.size()) < 2 * boxCount + 1) {
        return rows;
    }
    std::shuffle(free.begin(), free.end(), random);
    std::vector<bool> goal(rows.size() * rows[0].size(), false);
    std::vector<bool> box(goal.size(), false);
    auto index = [&rows](int r, int c) {
        return static_cast<std::size_t>(r) * rows[0].size() + static_cast<std::size_t>(c);
    };
    for (int i = 0; i < boxCount; ++i) {
        const auto [r, c] = free[static_cast<std::size_t>(i)];
        goal[index(r, c)] = true;
        // Without pulls the boxes go to other free cells, else they start on the goals.
        const auto [br, bc] = free[static_cast<std::size_t>(pulls > 0 ? i : boxCount + i)];
        box[index(br, bc)]  = true;
    }
    auto [pr, pc] = free[static_cast<std::size_t>(2 * boxCount)];

    const int dr[] = {0, 1, -1, 0};
    const int dc[] = {1, 0, 0, -1};
    std::uniform_int_distribution<int> direction(0, 3);
    std::bernoulli_distribution pullBox(0.6);
    auto open = [&](int r, int c) {
        return rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] != '#' &&
               !box[index(r, c)];
    };
    for (int i = 0; i < pulls; ++i) {
        const int d  = direction(random);
        const int nr = pr + dr[d], nc = pc + dc[d];
        if (!open(nr, nc)) {
            continue;
        }
        // The box behind the player follows it: the reverse of a push.
        const int br = pr - dr[d], bc = pc - dc[d];
        if (box[index(br, bc)] && pullBox(random)) {
            box[index(br, bc)] = false;
            box[index(pr, pc)] = true;
        }
        pr = nr;
        pc = nc;
    }

    for (int r = 1; r <= innerHeight; ++r) {
        for (int c = 1; c <= innerWidth; ++c) {
            char& cell = rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
            if (cell == '#') {
                continue;
            }
            const bool g = goal[index(r, c)];
            if (box[index(r, c)]) {
                cell = g ? '*' : '$';
            } else if (r == pr && c == pc) {
                cell = g ? '+' : '@';
            } else {
                cell = g ? '.' : ' ';
            }
        }
    }
    return rows;
}

// The search finds the fewest moves that the plain breadth-first search finds, and only
// solutions that replay to a solved board with the reported step count.
TEST(Oracle, FewestStepsAgreeWithBreadthFirstSearchOnTinyRooms) {
    std::mt19937 random(20240611);
    int solvable   = 0;
    int unsolvable = 0;
    for (int round = 0; round < 600; ++round) {
        const int innerWidth  = 3 + round % 4;
        const int innerHeight = 3 + (round / 4) % 3;
        const int boxCount    = 1 + round % 3;
        const int pulls       = (round / 3) % 3 == 0 ? 0 : 10 + round % 30;
        const std::vector<std::string> rows =
            randomRoom(random, innerWidth, innerHeight, boxCount, pulls);
        const auto startSteps = static_cast<std::int16_t>(round % 4);
        const Board board     = test::boardFromRows(rows, startSteps);
        std::string picture;
        for (const std::string& row : rows) {
            picture += row + '\n';
        }
        SCOPED_TRACE(picture);

        const std::int32_t expected = test::referenceFewestMoves(board);
        std::vector<SolutionStep> solution;
        const std::int32_t result = solve(board, solution);
        if (expected == -1) {
            EXPECT_EQ(result, -1);
            EXPECT_TRUE(solution.empty());
            ++unsolvable;
            continue;
        }
        ++solvable;
        EXPECT_EQ(result, startSteps + expected);
        const Board end = replay(board, solution);
        EXPECT_TRUE(end.isSolved());
        EXPECT_EQ(end.steps, result);
    }
    // Both kinds must have been met for the comparison to mean something.
    EXPECT_GT(solvable, 30);
    EXPECT_GT(unsolvable, 30);
    std::printf("tiny rooms: %d solvable, %d unsolvable\n", solvable, unsolvable);
}

} // namespace
} // namespace goalbox
