// The board display and the arrow writer, without a console.
#include <gtest/gtest.h>

#include <sstream>

#include "app/Display.h"

namespace goalbox {
namespace {

Board boardOf(std::int16_t height, std::int16_t width, std::vector<std::uint8_t> cells,
              CellIndex player) {
    Board board;
    board.height     = height;
    board.width      = width;
    board.cells      = std::move(cells);
    board.playerCell = player;
    board.init();
    return board;
}

class Display : public ::testing::Test {
  protected:
    void SetUp() override { fillSymbolTable(); }
};

TEST_F(Display, RowsColumnsPlayerAndStepCounter) {
    Board board = boardOf(
        2, 3, {CELL_WALL, CELL_GOAL, CELL_BOX_ON_GOAL, CELL_OUTSIDE, CELL_FLOOR, CELL_BOX}, 4);
    board.steps = -32768; // a wrapped counter shows its sign
    EXPECT_EQ(renderBoard(board),
              "H键显示帮助\n  000102\n00▓▼○\n01　♀●\n已经走过的步数:\t-32768\n");
}

TEST_F(Display, TrappedWarningIsTheLastLine) {
    // A box in the corner of two walls.
    const Board board = boardOf(2, 2, {CELL_WALL, CELL_WALL, CELL_WALL, CELL_BOX}, -1);
    EXPECT_EQ(renderBoard(board),
              "H键显示帮助\n  0001\n00▓▓\n01▓●\n已经走过的步数:\t0\n你好像已经困住了！\n");
}

TEST_F(Display, EmptyLevelAndWideBoards) {
    // A level of no rows, three columns wide (the width of its "REM" line).
    EXPECT_EQ(renderBoard(boardOf(0, 3, {}, 0)), "H键显示帮助\n  000102\n已经走过的步数:\t0\n");
    // From column 100 on, labels take three characters.
    const std::string wide = renderBoard(boardOf(1, 101, std::vector<std::uint8_t>(101, 1), 0));
    EXPECT_NE(wide.find("  0001"), std::string::npos);
    EXPECT_NE(wide.find("9899100\n"), std::string::npos);
}

TEST(WriteArrows, OneArrowPerStepAndNothingElse) {
    std::ostringstream out;
    writeArrows(out, {});
    EXPECT_EQ(out.str(), "");
    writeArrows(out, {DIR_RIGHT, DIR_DOWN, DIR_UP, DIR_LEFT, DIR_LEFT});
    EXPECT_EQ(out.str(), "→↓↑←←");
}

} // namespace
} // namespace goalbox
