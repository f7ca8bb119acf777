// The packing order of a room with one door, its guide, and the goal move that follows it: a box
// is brought onto the next goal by pushes that the board accepts, and only where the way is open
// with the other boxes staying.
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "board/Board.h"
#include "solver/SolutionStep.h"
#include "solver/any/GoalMacro.h"
#include "solver/any/PackingOrder.h"
#include "solver/positions/StaticLevel.h"
#include "tests/solver/TestBoard.h"

namespace goalbox {
namespace {

constexpr CellIndex WIDTH = 9;

CellIndex at(std::int32_t row, std::int32_t column) {
    return static_cast<CellIndex>(row * WIDTH + column);
}

// A room above a dead-end corridor of two goals; row 2 is the line given.
Board roomWith(const std::string& row2) {
    return test::boardFromRows(
        {"#########", "#@      #", row2, "#   $   #", "####.####", "   #.#", "   ###"});
}

TEST(GoalMacro, BringsABoxOntoTheNextGoalOnlyWhereTheWayIsOpen) {
    {
        // The box in the way of the only box that could go down stands above it.
        const Board board = roomWith("#   $   #");
        const StaticLevel level(board);
        const std::vector<std::uint64_t> key = level.keyOf(board);
        const PackingOrder order(level, key.data(), board.boxCount);
        ASSERT_TRUE(order.usable());
        const std::int32_t back = level.floorIndex[static_cast<std::size_t>(at(5, 4))];
        const std::int32_t door = level.floorIndex[static_cast<std::size_t>(at(4, 4))];
        EXPECT_EQ(order.order(), (std::vector<std::int32_t>{back, door}));
        // The upper box stands where the player must push the lower one down from.
        EXPECT_EQ(order.guide(key.data()).nextPushes, 2);
        EXPECT_EQ(order.obstacles(key.data(), order.guide(key.data())), 1);
        GoalMacro macro(level, order, board.boxCount);
        std::vector<SolutionStep> steps;
        std::int32_t box  = NO_FLOOR;
        std::int32_t last = NO_FLOOR;
        EXPECT_EQ(macro.advise(key.data(), level.playerFloor(key.data()), &box, steps, &last),
                  NO_FLOOR);
        EXPECT_TRUE(steps.empty());
    }
    // With that box moved aside, the lower one goes down to the back of the corridor.
    Board board = roomWith("#    $  #");
    const StaticLevel level(board);
    const std::vector<std::uint64_t> key = level.keyOf(board);
    const PackingOrder order(level, key.data(), board.boxCount);
    EXPECT_EQ(order.obstacles(key.data(), order.guide(key.data())), 0);
    GoalMacro macro(level, order, board.boxCount);
    std::vector<SolutionStep> steps;
    std::int32_t box  = NO_FLOOR;
    std::int32_t last = NO_FLOOR;
    const std::int32_t goal =
        macro.advise(key.data(), level.playerFloor(key.data()), &box, steps, &last);
    ASSERT_EQ(goal, level.floorIndex[static_cast<std::size_t>(at(5, 4))]);
    EXPECT_EQ(box, level.floorIndex[static_cast<std::size_t>(at(3, 4))]);
    ASSERT_EQ(steps.size(), 2u);
    for (const SolutionStep& step : steps) {
        ASSERT_NE(board.jumpTo(step.cell), -1);
        ASSERT_NE(board.move(step.direction), -1);
    }
    EXPECT_TRUE(isBox(board.cells[static_cast<std::size_t>(at(5, 4))]));
    EXPECT_FALSE(isBox(board.cells[static_cast<std::size_t>(at(3, 4))]));
    EXPECT_EQ(board.playerCell, at(4, 4));
    EXPECT_EQ(last, level.floorIndex[static_cast<std::size_t>(at(4, 4))]);
}

} // namespace
} // namespace goalbox
