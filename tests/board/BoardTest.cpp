// Unit tests of the board model: steps and pushes, refused moves, derived values, the solved
// test and snapshots.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "board/Board.h"

namespace goalbox {
namespace {

// Builds a board from rows of equal length: '#' wall, ' ' floor, '$' box, '*' box on goal,
// '.' goal, '-' outside, '@' player on floor, '+' player on goal.
Board makeBoard(const std::vector<std::string>& rows) {
    const std::string symbols  = "-#$ @*.+";
    const std::uint8_t codes[] = {CELL_OUTSIDE, CELL_WALL,        CELL_BOX,  CELL_FLOOR,
                                  CELL_FLOOR,   CELL_BOX_ON_GOAL, CELL_GOAL, CELL_GOAL};
    Board board;
    board.height = static_cast<std::int16_t>(rows.size());
    board.width  = static_cast<std::int16_t>(rows.empty() ? 0 : rows[0].size());
    board.cells.clear();
    for (const std::string& row : rows) {
        for (const char c : row) {
            if (c == '@' || c == '+') {
                board.playerCell = static_cast<CellIndex>(board.cells.size());
            }
            board.cells.push_back(codes[symbols.find(c)]);
        }
    }
    board.init();
    return board;
}

// Checks that a refused move returns -1 and leaves every field as it was.
void expectRefused(Board board, Direction d) {
    const Board before = board;
    EXPECT_EQ(board.move(d), -1) << "direction " << d;
    EXPECT_EQ(board.cells, before.cells);
    EXPECT_EQ(board.playerCell, before.playerCell);
    EXPECT_EQ(board.steps, before.steps);
}

TEST(BoardMoveTest, StepsOntoFloorAndGoalWithoutChangingCells) {
    Board board                        = makeBoard({"#####", "#@ .#", "#####"});
    const std::vector<std::uint8_t> at = board.cells;
    EXPECT_EQ(board.move(DIR_RIGHT), 7);
    EXPECT_EQ(board.move(DIR_RIGHT), 8);
    EXPECT_EQ(board.playerCell, 8);
    EXPECT_EQ(board.steps, 2);
    EXPECT_EQ(board.cells, at);
    EXPECT_EQ(board.cells[8], CELL_GOAL);
    EXPECT_EQ(board.move(DIR_LEFT), 7);
    EXPECT_EQ(board.steps, 3);
}

TEST(BoardMoveTest, PushesOntoAndOffGoals) {
    // Row 1: player, box, goal, floor.
    Board board = makeBoard({"######", "#@$. #", "######"});
    EXPECT_EQ(board.move(DIR_RIGHT), 8);
    EXPECT_EQ(board.cells[8], CELL_FLOOR);
    EXPECT_EQ(board.cells[9], CELL_BOX_ON_GOAL);
    EXPECT_EQ(board.move(DIR_RIGHT), 9);
    EXPECT_EQ(board.cells[9], CELL_GOAL);
    EXPECT_EQ(board.cells[10], CELL_BOX);
    EXPECT_EQ(board.steps, 2);
    EXPECT_EQ(board.boxCount, 1);
}

TEST(BoardMoveTest, RefusalsLeaveTheBoardUnchanged) {
    // Steps onto a wall and onto outside.
    expectRefused(makeBoard({"#@-"}), DIR_LEFT);
    expectRefused(makeBoard({"#@-"}), DIR_RIGHT);
    // Pushes against a wall, outside, a second box, and a box on a goal.
    expectRefused(makeBoard({"@$#"}), DIR_RIGHT);
    expectRefused(makeBoard({"@$-"}), DIR_RIGHT);
    expectRefused(makeBoard({"@$$ "}), DIR_RIGHT);
    expectRefused(makeBoard({"@$* "}), DIR_RIGHT);
    // Steps and pushes past the edge of the grid.
    expectRefused(makeBoard({" @ ", "   "}), DIR_UP);
    expectRefused(makeBoard({"   ", " @ "}), DIR_DOWN);
    expectRefused(makeBoard({" @ ", " $ "}), DIR_DOWN);
    expectRefused(makeBoard({" $ ", " @ "}), DIR_UP);
    expectRefused(makeBoard({" @$"}), DIR_RIGHT);
    expectRefused(makeBoard({"$@ "}), DIR_LEFT);
}

TEST(BoardMoveTest, SidewaysMovesDoNotWrapToTheNextRow) {
    // The cell after the last column is the first cell of the next row; it is floor here.
    expectRefused(makeBoard({"  @", "   "}), DIR_RIGHT);
    expectRefused(makeBoard({"   ", "@  "}), DIR_LEFT);
    // A box at a row end is not pushed into the next row.
    expectRefused(makeBoard({" @$", "   "}), DIR_RIGHT);
    expectRefused(makeBoard({"   ", "$@ "}), DIR_LEFT);
}

// Bug: on a board two columns wide, the cell beyond a box at a row end lies in the player's
// column one row further on, so checking it only against the player's cell let a push carry
// the box across the row end into the next row. The cell beyond must also line up with the box.
TEST(BoardMoveTest, TwoColumnBoardDoesNotPushABoxAcrossTheRowEnd) {
    expectRefused(makeBoard({"@$", "  "}), DIR_RIGHT);
    expectRefused(makeBoard({"  ", "$@"}), DIR_LEFT);
    // Pushes along a column of the same board still work.
    Board board = makeBoard({" @", " $", " .", "  "});
    EXPECT_EQ(board.move(DIR_DOWN), 3);
    EXPECT_EQ(board.cells[5], CELL_BOX_ON_GOAL);
    EXPECT_EQ(board.move(DIR_DOWN), 5);
    EXPECT_EQ(board.cells[7], CELL_BOX);
    EXPECT_EQ(board.move(DIR_DOWN), -1); // the box stands in the last row
    EXPECT_EQ(board.move(DIR_UP), 3);
}

// Bug: on a board one column wide a sideways step has the offset of a vertical one, so the
// right arrow walked the player down and pushed boxes down.
TEST(BoardMoveTest, OneColumnBoardRefusesSidewaysMoves) {
    Board board = makeBoard({"#", "@", "$", ".", "#"});
    expectRefused(board, DIR_RIGHT);
    expectRefused(board, DIR_LEFT);
    EXPECT_EQ(board.move(DIR_DOWN), 2);
    EXPECT_EQ(board.cells[3], CELL_BOX_ON_GOAL);
}

TEST(BoardMoveTest, DefaultBoardRefusesEveryMove) {
    const Board board;
    EXPECT_EQ(board.cells, std::vector<std::uint8_t>{CELL_FLOOR});
    EXPECT_EQ(board.cellCount, 1);
    EXPECT_EQ(board.boxCount, 0);
    for (int d = 0; d < DIR_COUNT; ++d) {
        expectRefused(board, static_cast<Direction>(d));
    }
}

TEST(BoardTest, InitDerivesCountsAndOffsets) {
    const Board board = makeBoard({"$ *#", "#$ @"});
    EXPECT_EQ(board.boxCount, 3);
    EXPECT_EQ(board.cellCount, 8);
    EXPECT_EQ(board.dirOffset, (std::array<std::int16_t, DIR_COUNT>{1, 4, -4, -1}));
}

// Each cell's neighbours right, down, up, left: none past an edge or across a row end, none
// sideways one column wide. A board given another size gets a new table from init.
TEST(BoardTest, NeighbourTableFollowsTheGrid) {
    using Next  = std::array<CellIndex, DIR_COUNT>;
    Board board = makeBoard({"    ", "    "});
    EXPECT_EQ(board.neighboursOf(0), (Next{1, 4, NO_CELL, NO_CELL}));
    EXPECT_EQ(board.neighboursOf(3), (Next{NO_CELL, 7, NO_CELL, 2}));
    EXPECT_EQ(board.neighboursOf(4), (Next{5, NO_CELL, 0, NO_CELL}));
    board.height = 4;
    board.width  = 2;
    board.init();
    EXPECT_EQ(board.neighboursOf(1), (Next{NO_CELL, 3, NO_CELL, 0}));
    EXPECT_EQ(board.neighboursOf(2), (Next{3, 4, 0, NO_CELL}));
    EXPECT_EQ(board.neighboursOf(7), (Next{NO_CELL, NO_CELL, 5, 6}));
    board.height = 8;
    board.width  = 1;
    board.init();
    EXPECT_EQ(board.neighboursOf(0), (Next{NO_CELL, 1, NO_CELL, NO_CELL}));
    EXPECT_EQ(board.neighboursOf(4), (Next{NO_CELL, 5, 3, NO_CELL}));
}

TEST(BoardTest, SameRowOrColumnOnAZeroWidthBoard) {
    Board board = makeBoard({});
    EXPECT_EQ(board.cellCount, 0);
    EXPECT_FALSE(board.sameRowOrColumn(0, 0));
    for (int d = 0; d < DIR_COUNT; ++d) {
        expectRefused(board, static_cast<Direction>(d));
    }
}

TEST(BoardTest, IsSolved) {
    EXPECT_FALSE(makeBoard({"@ ."}).isSolved());  // no boxes
    EXPECT_FALSE(makeBoard({"@*$."}).isSolved()); // one box still off its goal
    EXPECT_TRUE(makeBoard({"@**"}).isSolved());   // every box on a goal
    EXPECT_TRUE(makeBoard({"+*.."}).isSolved());  // more goals than boxes
    Board board = makeBoard({"@$."});
    EXPECT_FALSE(board.isSolved());
    board.move(DIR_RIGHT);
    EXPECT_TRUE(board.isSolved());
}

TEST(BoardSnapshotTest, RestoreGivesBackTheEarlierPositionAndItsSnapshot) {
    Board board = makeBoard({"#######", "#@$ . #", "#  *  #", "#     #", "#######"});
    BoardSnapshot start;
    BoardSnapshot again;
    board.saveSnapshot(start);
    board.saveSnapshot(again);
    EXPECT_EQ(start, again); // snapshots of one position compare equal
    const Board before = board;
    board.move(DIR_RIGHT);
    board.move(DIR_RIGHT); // box onto the goal
    board.move(DIR_DOWN);  // the other box off its goal
    board.move(DIR_LEFT);
    ASSERT_EQ(board.steps, 4);
    ASSERT_NE(board.cells, before.cells);
    board.saveSnapshot(again);
    EXPECT_NE(start, again);
    board.restoreSnapshot(start);
    EXPECT_EQ(board.cells, before.cells);
    EXPECT_EQ(board.playerCell, before.playerCell);
    EXPECT_EQ(board.steps, 0);
    EXPECT_EQ(board.boxCount, 2);
    board.saveSnapshot(again);
    EXPECT_EQ(start, again);
}

TEST(BoardSnapshotTest, ThirtyThreeCellsGiveThirtyThreeBits) {
    Board board = makeBoard({"$          ", "           ", "@         $"});
    ASSERT_EQ(board.cellCount, 33);
    BoardSnapshot snapshot;
    board.saveSnapshot(snapshot);
    EXPECT_EQ(snapshot.boxBits.bitCount, 33);
    ASSERT_EQ(snapshot.boxBits.words.size(), 1u);
    EXPECT_EQ(snapshot.boxBits.words[0], (std::uint64_t{1} << 32) | 1u);

    // Reusing a snapshot of a larger board leaves no stale bits past the last cell.
    Board large = makeBoard({std::string(40, '$'), std::string(40, '$')});
    BoardSnapshot reused;
    large.saveSnapshot(reused);
    board.saveSnapshot(reused);
    EXPECT_EQ(reused, snapshot);
}

} // namespace
} // namespace goalbox
