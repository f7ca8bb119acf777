// The table of the positions near the start: each position it holds is reached by its route from
// the start, and the positions come in order of rising pushes.
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "board/Board.h"
#include "solver/SolutionStep.h"
#include "solver/any/Corrals.h"
#include "solver/any/StartTable.h"
#include "solver/positions/StaticLevel.h"
#include "tests/solver/TestBoard.h"

namespace goalbox {
namespace {

TEST(StartTable, EveryPositionIsReachedByItsRouteInOrderOfPushes) {
    const Board start = test::boardFromRows(
        {"########", "#@     #", "# $ #$ #", "#  $   #", "## # ..#", "#     .#", "########"});
    const StaticLevel level(start);
    const std::vector<std::uint64_t> startKey = level.keyOf(start);
    StartTable table(level, startKey.data(), start.boxCount);
    std::uint64_t metAt = 0;
    EXPECT_FALSE(table.grow(100'000, [&](const std::uint64_t*) {
        ++metAt;
        return false;
    }));
    ASSERT_GT(table.size(), 1000u);
    EXPECT_EQ(metAt, table.size() - 1); // asked for each position but the start
    Corrals area(level, start.boxCount);
    std::size_t pushesBefore = 0;
    for (std::uint32_t entry = 0; entry < table.size(); entry += 7) {
        std::vector<SolutionStep> route;
        table.route(entry, route);
        ASSERT_GE(route.size(), pushesBefore) << entry;
        pushesBefore = route.size();
        Board board  = start;
        for (const SolutionStep& push : route) {
            ASSERT_NE(board.jumpTo(push.cell), -1) << entry;
            ASSERT_NE(board.move(push.direction), -1) << entry;
        }
        std::vector<std::uint64_t> key = level.keyOf(board);
        const std::int32_t lowest = area.measureArea(key.data(), level.playerFloor(key.data()));
        level.setPlayer(key.data(), level.floorCells[static_cast<std::size_t>(lowest)]);
        EXPECT_EQ(table.find(key.data()), entry);
    }
    // A search that meets a position ends the growth there.
    StartTable again(level, startKey.data(), start.boxCount);
    EXPECT_TRUE(again.grow(100'000, [](const std::uint64_t*) { return true; }));
    EXPECT_EQ(again.size(), 2u);
}

} // namespace
} // namespace goalbox
