// The solve command's handling of a search that runs out of memory, and its progress line.
#include <gtest/gtest.h>

#include "app/Commands.h"
#include "app/Display.h"
#include "app/GameSettings.h"
#include "app/ScriptedIo.h"
#include "app/TestBoard.h"
#include "solver/Solve.h"

namespace goalbox {
namespace {

// A room with no solution whose search still takes a few thousand expansions: long enough to
// run out of a small memory budget and to be reported on. The room on the right has two goals
// and one box, and only the player fits through its winding door.
Board openRoom() {
    return test::boardFromRows({"###########", "#.   #.$ .#", "# $$ ### ##", "# .      ##",
                                "# $$ ######", "#.@ ##-----", "#####------"});
}

class SolveCommandTest : public ::testing::Test {
  protected:
    void SetUp() override { fillSymbolTable(); }

    GameSettings settings;
};

TEST_F(SolveCommandTest, SearchOutOfMemoryKeepsTheBoardAndTheGame) {
    settings.memoryBudgetBytes = 64 * 1024;
    Board board                = openRoom();
    const Board before         = board;
    test::ScriptedIo io("k");
    EXPECT_TRUE(solveCommand(io, board, settings));
    EXPECT_EQ(io.written(), "正在求解，请耐心等待……\n"
                            "内存不足，求解已停止，棋盘保持原样。按任意键继续。\n");
    EXPECT_EQ(board.cells, before.cells);
    EXPECT_EQ(board.playerCell, before.playerCell);
    EXPECT_EQ(board.steps, before.steps);
    // The key after the message was read; the end of input there ends the program.
    test::ScriptedIo ended("");
    EXPECT_FALSE(solveCommand(ended, board, settings));
}

TEST_F(SolveCommandTest, ProgressLineOnlyOnATerminalAndWipedBeforeTheAnswer) {
    Board board = openRoom();
    test::ScriptedIo terminal("ab", true, 300);
    EXPECT_TRUE(solveCommand(terminal, board, settings));
    const std::string shown = terminal.written();
    // Without a solution the line only ever shows the least steps a solution could still have.
    const std::size_t line = shown.find("\r寻找最少步数，至少");
    ASSERT_NE(line, std::string::npos);
    EXPECT_NE(shown.find("步  已存局面:", line), std::string::npos);
    EXPECT_EQ(shown.find("整理路线"), std::string::npos);
    // The status line is wiped before the answer is written.
    EXPECT_NE(shown.find("\r\x1b[K证明无解！\n"), std::string::npos);

    // With one, it then shows the fewest steps and how far the route has come, as "n/C".
    Board solvable =
        test::boardFromRows({"############", "#          #", "#  $  $  $ #", "#   @      #",
                             "#  $    $  #", "#   .....  #", "############"});
    test::ScriptedIo solving("ab", true, 300);
    EXPECT_TRUE(solveCommand(solving, solvable, settings));
    const std::string route  = solving.written();
    const std::size_t fewest = route.find("\r最少38步，整理路线");
    ASSERT_NE(fewest, std::string::npos);
    EXPECT_NE(route.find("/38  已存局面:", fewest), std::string::npos);
    EXPECT_LT(route.find("\r寻找最少步数，至少"), fewest);

    test::ScriptedIo pipe("ab", false, 300);
    EXPECT_TRUE(solveCommand(pipe, board, settings));
    EXPECT_EQ(pipe.written().find('\r'), std::string::npos);
    EXPECT_EQ(pipe.written().rfind("正在求解，请耐心等待……\n证明无解！\n", 0), 0u);
}

} // namespace
} // namespace goalbox
