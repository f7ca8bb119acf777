// The freeze test may only ever call a position hopeless when it truly cannot be solved: the
// searches drop such positions, and a wrong verdict would lose a route.
#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/DeadPosition.h"
#include "board/Board.h"
#include "solver/bounds/LowerBound.h"
#include "solver/dead/FrozenBoxes.h"
#include "solver/positions/PushGenerator.h"
#include "solver/positions/StaticLevel.h"
#include "solver/reference/PlainSearch.h"
#include "tests/solver/RandomRoom.h"
#include "tests/solver/TestBoard.h"

namespace goalbox {
namespace {

using test::boardFromRows;

// Puts board in the position of key: a box on every floor cell the key names, none on the
// others, and the key's player.
void setBoxes(const StaticLevel& level, const std::uint64_t* key, Board& board) {
    for (std::int32_t f = 0; f < level.floorCount; ++f) {
        std::uint8_t& code =
            board.cells[static_cast<std::size_t>(level.floorCells[static_cast<std::size_t>(f)])];
        code = level.hasBox(key, f) ? withBox(code) : withoutBox(code);
    }
    board.playerCell = level.player(key);
}

// The verdict on the box at (row, column) of the board.
bool frozenOffGoal(const std::vector<std::string>& rows, int row, int column) {
    const Board board = boardFromRows(rows);
    const StaticLevel level(board);
    const LowerBound bound(level);
    FrozenBoxes test(level, bound);
    std::vector<std::uint64_t> key(static_cast<std::size_t>(level.keyWords));
    level.keyOf(board, key.data());
    return test.isFrozenOffGoal(key.data(), static_cast<CellIndex>(row * board.width + column));
}

TEST(FrozenBoxes, FindsBoxesThatHoldEachOtherOffAGoal) {
    // Under the top wall, a box beside a box on a goal, which is against the side wall: neither
    // can move, and the one off the goal never reaches one. (The dead patterns of isTrapped
    // miss this: one of the two is on a goal, and the row has as many goals as boxes.)
    const std::vector<std::string> pair = {"######", "#*$ .#", "#    #", "#@   #", "######"};
    EXPECT_FALSE(isTrapped(boardFromRows(pair)));
    EXPECT_TRUE(frozenOffGoal(pair, 1, 2));
    // The box on the goal is held by walls alone; the test looks only at the boxes that hold
    // the box it examines, and all of those are on goals.
    EXPECT_FALSE(frozenOffGoal(pair, 1, 1));
    // One cell further on, the box can still go right along the wall to the goal.
    EXPECT_FALSE(frozenOffGoal({"######", "#* $.#", "#    #", "#@   #", "######"}, 1, 3));
    // Frozen, but every frozen box is on a goal: nothing is lost.
    EXPECT_FALSE(frozenOffGoal({"######", "#** .#", "#  $ #", "#@   #", "######"}, 1, 2));
    // Four boxes in a square, one off a goal; and the same square all on goals.
    EXPECT_TRUE(
        frozenOffGoal({"#######", "#     #", "# *$  #", "# **  #", "#@    #", "#######"}, 2, 3));
    EXPECT_FALSE(
        frozenOffGoal({"#######", "#     #", "# **  #", "# **  #", "#@    #", "#######"}, 2, 3));
    // A box between two cells from which no goal can be reached: pushing it either way along
    // the wall is hopeless, and it cannot leave the wall.
    EXPECT_TRUE(frozenOffGoal({"#######", "#  $  #", "#     #", "#@   .#", "#######"}, 1, 3));
    // A lone box in the open moves freely.
    EXPECT_FALSE(frozenOffGoal({"#######", "#     #", "#  $  #", "#@   .#", "#######"}, 2, 3));
}

// On random rooms, every push after which the freeze test calls the position hopeless leads to
// a position that the plain search proves unsolvable.
TEST(FrozenBoxes, CallsOnlyUnsolvablePositionsHopeless) {
    std::mt19937 random(4242);
    int verdicts = 0;
    int pushes   = 0;
    for (int round = 0; round < 300; ++round) {
        const std::vector<std::string> rows =
            test::randomRoom(random, 3 + round % 5, 3 + round % 3, 2 + round % 3, 10 + round % 50);
        Board board = boardFromRows(rows);
        const StaticLevel level(board);
        const LowerBound bound(level);
        FrozenBoxes freeze(level, bound);
        PushGenerator generator(board, level);
        std::vector<Push> next;
        for (int move = 0; move < 6; ++move) {
            std::vector<std::uint64_t> key(static_cast<std::size_t>(level.keyWords));
            level.keyOf(board, key.data());
            generator.setPosition(key.data());
            generator.generate(isTrapped(board), next);
            for (const Push& push : next) {
                std::vector<std::uint64_t> after = key;
                level.applyPush(after.data(), push.from, push.to);
                ++pushes;
                if (!freeze.isFrozenOffGoal(after.data(), push.to)) {
                    continue;
                }
                Board pushed = board;
                setBoxes(level, after.data(), pushed);
                std::vector<SolutionStep> route;
                SolveStats stats;
                const std::int32_t result =
                    plain::solve(pushed, route, plain::expansionCap(20000), &stats);
                EXPECT_TRUE(stats.aborted || result == -1) << test::picture(rows);
                verdicts += stats.aborted ? 0 : 1;
            }
            if (next.empty()) {
                break;
            }
            const Push& push = next[random() % next.size()];
            level.applyPush(key.data(), push.from, push.to);
            setBoxes(level, key.data(), board);
        }
    }
    EXPECT_GT(pushes, 2000);
    EXPECT_GT(verdicts, 100);
}

} // namespace
} // namespace goalbox
