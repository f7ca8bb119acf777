// The solve command when its searches run out of memory or are stopped, and its progress line.
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

// When neither search finds a route within the budget, with the second search beside the first
// or, on one processor, after it.
TEST_F(SolveCommandTest, SearchOutOfMemoryKeepsTheBoardAndTheGame) {
    settings.memoryBudgetBytes = 64 * 1024;
    for (const unsigned processors : {1u, 2u}) {
        SCOPED_TRACE(processors);
        settings.processorCount = processors;
        Board board             = openRoom();
        const Board before      = board;
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
}

// A large level whose fewest steps take the exact search minutes and gigabytes, and on which
// solveAny finds a route at once.
Board largeLevel() {
    Board board;
    EXPECT_EQ(board.load(GOALBOX_SOURCE_DIR "/tests/levels/classic-0017.txt"), LOAD_OK);
    return board;
}

TEST_F(SolveCommandTest, ProgressLineOnlyOnATerminalAndWipedWhenTheSearchStops) {
    // On a terminal the line shows the least steps a solution can still have (on one processor,
    // so that no route is offered yet); when input ends during the search, the search stops and
    // the command ends the program, board untouched.
    settings.processorCount = 1;
    Board board             = largeLevel();
    const Board before      = board;
    test::ScriptedIo terminal("ab", true, 300);
    terminal.interruptWhenShown("已存局面", WATCH_END);
    EXPECT_FALSE(solveCommand(terminal, board, settings));
    EXPECT_FALSE(terminal.isWatching());
    const std::string shown = terminal.written();
    const std::size_t line  = shown.find("\r寻找最少步数，至少");
    ASSERT_NE(line, std::string::npos) << shown;
    EXPECT_NE(shown.find("步  已存局面:", line), std::string::npos);
    EXPECT_EQ(shown.substr(shown.size() - 4), "\r\x1b[K");
    EXPECT_EQ(board.cells, before.cells);
    EXPECT_EQ(board.playerCell, before.playerCell);

    // Through a pipe nothing of it is written.
    Board room = openRoom();
    test::ScriptedIo pipe("ab", false, 300);
    EXPECT_TRUE(solveCommand(pipe, room, settings));
    EXPECT_EQ(pipe.written().find('\r'), std::string::npos);
    EXPECT_EQ(pipe.written().rfind("正在求解，请耐心等待……\n证明无解！\n", 0), 0u);
}

TEST_F(SolveCommandTest, EscapeBeforeAnyRouteStopsAndKeepsTheBoard) {
    // With one processor the search for some route waits for the exact search to run out of
    // memory, so an Esc during the exact search finds no route at hand.
    settings.processorCount = 1;
    Board board             = largeLevel();
    const Board before      = board;
    test::ScriptedIo io("k", true, 300);
    io.interruptWhenShown("已存局面", WATCH_ESCAPE);
    EXPECT_TRUE(solveCommand(io, board, settings));
    const std::string shown = io.written();
    EXPECT_NE(shown.find("\r\x1b[K已停止求解，棋盘保持原样。按任意键继续。\n"), std::string::npos)
        << shown;
    EXPECT_EQ(shown.find("求解路线"), std::string::npos);
    EXPECT_EQ(board.cells, before.cells);
    EXPECT_EQ(board.playerCell, before.playerCell);
    // The key after the message was read.
    EXPECT_EQ(io.readKey(), KEY_END);
}

// Esc once the line offers the other search's route: the exact search stops, the route is
// replayed and solves the level, and the line above the time says why it may be longer.
TEST_F(SolveCommandTest, EscapeTakesTheRouteTheLineOffers) {
    settings.processorCount   = 2;
    Board board               = largeLevel();
    const std::int16_t before = board.steps;
    test::ScriptedIo io("k", true, 300);
    io.interruptWhenShown("按Esc采用", WATCH_ESCAPE);
    EXPECT_TRUE(solveCommand(io, board, settings));
    EXPECT_TRUE(board.isSolved());
    const std::string shown = io.written();
    const std::size_t offer = shown.find("步的路线（未必最短），按Esc采用");
    ASSERT_NE(offer, std::string::npos) << shown;
    EXPECT_NE(shown.rfind("  已有一条", offer), std::string::npos);
    const std::size_t why = shown.find(
        "\n已停止寻找最少步数；下面的路线可以解开本关，但未必最短。\n\n求解结束,总共用时:");
    ASSERT_NE(why, std::string::npos) << shown;
    EXPECT_LT(offer, why);
    // One arrow, three bytes of UTF-8, per step.
    const std::string head  = "求解路线：";
    const std::size_t route = shown.find(head, why);
    ASSERT_NE(route, std::string::npos);
    const std::size_t end = shown.find('\n', route);
    EXPECT_EQ(end - route - head.size(), 3 * static_cast<std::size_t>(board.steps - before));
    EXPECT_EQ(io.readKey(), KEY_END);
}

} // namespace
} // namespace goalbox
