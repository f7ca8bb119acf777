// The board display and the arrow writer, without a console.
#include <gtest/gtest.h>

#include <sstream>

#include "app/Display.h"
#include "app/TestBoard.h"

namespace goalbox {
namespace {

using test::boardFromRows;

class Display : public ::testing::Test {
  protected:
    void SetUp() override { fillSymbolTable(); }
};

TEST_F(Display, RowsColumnsPlayerAndStepCounter) {
    Board board = boardFromRows({"#.*", "-@$"});
    board.steps = -32768; // a wrapped counter shows its sign
    EXPECT_EQ(renderBoard(board),
              "H键显示帮助\n  000102\n00▓▼○\n01　♀●\n已经走过的步数:\t-32768\n");
}

TEST_F(Display, TrappedWarningIsTheLastLine) {
    // A box in the corner of two walls.
    Board board      = boardFromRows({"##", "#$"});
    board.playerCell = -1;
    EXPECT_EQ(renderBoard(board),
              "H键显示帮助\n  0001\n00▓▓\n01▓●\n已经走过的步数:\t0\n你好像已经困住了！\n");
}

TEST_F(Display, EmptyLevelAndWideBoards) {
    // A level of no rows, three columns wide (the width of its "REM" line).
    Board empty = boardFromRows({});
    empty.width = 3;
    EXPECT_EQ(renderBoard(empty), "H键显示帮助\n  000102\n已经走过的步数:\t0\n");
    // From column 100 on, labels take three characters.
    const std::string wide = renderBoard(boardFromRows({std::string(101, '#')}));
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
