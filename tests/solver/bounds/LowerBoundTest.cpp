// The lower bound under the route search: it must never exceed the steps still needed, and no
// push may lower it by more than one, or the sweep could drop a position of the route.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/DeadPosition.h"
#include "board/Board.h"
#include "solver/bounds/LowerBound.h"
#include "solver/positions/PushGenerator.h"
#include "solver/positions/StaticLevel.h"
#include "solver/reference/PlainSearch.h"
#include "tests/solver/RandomRoom.h"
#include "tests/solver/TestBoard.h"

namespace goalbox {
namespace {

using test::boardFromRows;

std::vector<std::uint64_t> keyOf(const StaticLevel& level, const Board& board) {
    std::vector<std::uint64_t> key(static_cast<std::size_t>(level.keyWords));
    level.keyOf(board, key.data());
    return key;
}

std::int32_t estimateOf(const Board& board) {
    const StaticLevel level(board);
    LowerBound bound(level);
    return bound.estimate(keyOf(level, board).data());
}

TEST(LowerBound, CountsPushesOnTheEmptyBoard) {
    // One box, three pushes from its goal along the corridor.
    EXPECT_EQ(estimateOf(boardFromRows({"#######", "#@$  .#", "#######"})), 3);
    // The other box does not block, since the board is taken empty: each box is given its
    // nearest goal, 2 pushes right and 3 pushes (down, down, left).
    EXPECT_EQ(estimateOf(boardFromRows({"########", "#      #", "# $ $ .#", "#@     #", "#.     #",
                                        "#      #", "########"})),
              2 + 3);
    // A box in a corner off the goals, and a box against a wall with no goal along it, reach
    // no goal.
    EXPECT_EQ(estimateOf(boardFromRows({"#####", "#$ .#", "# @ #", "#####"})), BOUND_DEAD);
    EXPECT_EQ(estimateOf(boardFromRows({"######", "# $  #", "#  @ #", "#  . #", "######"})),
              BOUND_DEAD);
    // A box needs the cell behind it: pushing right from the wall is impossible.
    EXPECT_EQ(estimateOf(boardFromRows({"#####", "#$ .#", "##@##", "#####"})), BOUND_DEAD);
    // Boxes on goals need nothing; a solved board needs nothing.
    EXPECT_EQ(estimateOf(boardFromRows({"#####", "#@**#", "#####"})), 0);
    // Two boxes whose nearest goal is the same one: one of them takes the far goal, and the
    // cheaper way is 1 push for the left box and 4 for the right one, not 1 and 6.
    EXPECT_EQ(estimateOf(boardFromRows({"#########", "#       #", "#  $.$  #", "#@      #",
                                        "#      .#", "#       #", "#########"})),
              1 + 4);
    // More boxes than goals can never be solved.
    EXPECT_EQ(estimateOf(boardFromRows({"#######", "# $$. #", "#  @  #", "#######"})), BOUND_DEAD);
}

// Push counts from each floor cell to one goal, taken from a level that keeps only that goal.
std::vector<std::vector<std::int32_t>> distancesByGoal(const Board& board,
                                                       const std::vector<CellIndex>& goals) {
    std::vector<std::vector<std::int32_t>> table;
    for (const CellIndex goal : goals) {
        Board single = board;
        for (CellIndex cell = 0; cell < single.cellCount; ++cell) {
            std::uint8_t& code = single.cells[static_cast<std::size_t>(cell)];
            if (isGoal(code) && cell != goal) {
                code = isBox(code) ? CELL_BOX : CELL_FLOOR;
            }
            if (isBox(code)) {
                code = withoutBox(code); // measured one box at a time below
            }
        }
        const StaticLevel level(single);
        LowerBound bound(level);
        std::vector<std::int32_t> row(static_cast<std::size_t>(board.cellCount), BOUND_DEAD);
        for (CellIndex cell = 0; cell < single.cellCount; ++cell) {
            if (level.floorIndex[static_cast<std::size_t>(cell)] == -1) {
                continue;
            }
            Board one = single;
            one.cells[static_cast<std::size_t>(cell)] =
                withBox(one.cells[static_cast<std::size_t>(cell)]);
            row[static_cast<std::size_t>(cell)] = bound.nearestSum(keyOf(level, one).data());
        }
        table.push_back(row);
    }
    return table;
}

// The estimate is the cheapest assignment of boxes to distinct goals, tried here over every
// assignment.
TEST(LowerBound, IsTheCheapestAssignmentOfBoxesToGoals) {
    std::mt19937 random(1618);
    int compared = 0;
    int dead     = 0;
    for (int round = 0; round < 300; ++round) {
        const int boxes = 1 + round % 4;
        const Board board =
            boardFromRows(test::randomRoom(random, 4 + round % 4, 3 + round % 3, boxes, 0));
        std::vector<CellIndex> goals;
        std::vector<CellIndex> boxCells;
        for (CellIndex cell = 0; cell < board.cellCount; ++cell) {
            if (isGoal(board.cells[static_cast<std::size_t>(cell)])) {
                goals.push_back(cell);
            }
            if (isBox(board.cells[static_cast<std::size_t>(cell)])) {
                boxCells.push_back(cell);
            }
        }
        if (goals.size() != boxCells.size() || goals.empty()) {
            continue; // too cramped a room: randomRoom gave up placing
        }
        const auto table = distancesByGoal(board, goals);
        std::vector<std::size_t> order(goals.size());
        for (std::size_t i = 0; i < order.size(); ++i) {
            order[i] = i;
        }
        std::int64_t best = BOUND_DEAD;
        do {
            std::int64_t total = 0;
            for (std::size_t b = 0; b < boxCells.size(); ++b) {
                const std::int32_t d = table[order[b]][static_cast<std::size_t>(boxCells[b])];
                total += d == BOUND_DEAD ? std::int64_t{BOUND_DEAD} : d;
            }
            best = std::min(best, total);
        } while (std::next_permutation(order.begin(), order.end()));
        const std::int32_t expected =
            best >= BOUND_DEAD ? BOUND_DEAD : static_cast<std::int32_t>(best);
        EXPECT_EQ(estimateOf(board), expected);
        dead += expected == BOUND_DEAD ? 1 : 0;
        ++compared;
    }
    EXPECT_GT(compared, 200);
    EXPECT_GT(dead, 10);
    EXPECT_LT(dead, compared - 50);
}

// Along every push the estimate drops by at most one, never below the cheap sum, and a DEAD
// position has only DEAD positions after it. On positions the plain search solves, it never
// exceeds the steps still needed.
TEST(LowerBound, IsConsistentAndNeverAboveTheStepsNeeded) {
    std::mt19937 random(2718);
    int pushes = 0;
    int solved = 0;
    for (int round = 0; round < 400; ++round) {
        const std::vector<std::string> rows =
            test::randomRoom(random, 3 + round % 5, 3 + round % 4, 1 + round % 4, 5 + round % 40);
        Board board = boardFromRows(rows);
        const StaticLevel level(board);
        LowerBound bound(level);
        PushGenerator generator(board, level);
        std::vector<Push> next;
        for (int move = 0; move < 8; ++move) {
            const std::vector<std::uint64_t> key = keyOf(level, board);
            const std::int32_t here              = bound.estimate(key.data());
            EXPECT_LE(bound.nearestSum(key.data()), here);
            // On a solvable position the estimate is at most the fewest steps left.
            if (move == 0) {
                std::vector<SolutionStep> route;
                const std::int32_t fewest =
                    plain::solve(board, route, plain::expansionCap(3000), nullptr);
                if (fewest != -1) {
                    EXPECT_LE(here, fewest - board.steps);
                    ++solved;
                }
            }
            generator.setPosition(key.data());
            generator.generate(isTrapped(board), next);
            for (const Push& push : next) {
                std::vector<std::uint64_t> after = key;
                level.applyPush(after.data(), push.from, push.to);
                const std::int32_t there = bound.estimate(after.data());
                if (here == BOUND_DEAD) {
                    EXPECT_EQ(there, BOUND_DEAD);
                } else if (there != BOUND_DEAD) {
                    EXPECT_LE(here, there + 1);
                }
                ++pushes;
            }
            if (next.empty()) {
                break;
            }
            const Push& push = next[random() % next.size()];
            board.cells[static_cast<std::size_t>(push.to)] =
                withBox(board.cells[static_cast<std::size_t>(push.to)]);
            board.cells[static_cast<std::size_t>(push.from)] =
                withoutBox(board.cells[static_cast<std::size_t>(push.from)]);
            board.playerCell = push.from;
            board.steps      = static_cast<std::int16_t>(board.steps + push.cost);
        }
    }
    EXPECT_GT(pushes, 2000);
    EXPECT_GT(solved, 150);
}

} // namespace
} // namespace goalbox
