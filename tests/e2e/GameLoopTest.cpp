// The game driven through a pipe: load messages, display, moves, R, H, Q, the continue
// prompt and the end of input, compared byte for byte with the GBK the game must write.
#include "e2e/PipeSessionTest.h"

#include "app/Messages.h"

namespace goalbox::test {
namespace {

const std::string PUSH_LEVEL = "#####\n#@$.#\n#####\n";
const std::string ROOM_LEVEL = "#######\n#@    #\n#  $  #\n#  .  #\n#######\n";

const std::string UP    = "\xe0H";
const std::string DOWN  = "\xe0P";
const std::string RIGHT = "\x1b[C";
const std::string LEFT  = "\x1bOD";

std::string room(const std::string& row1, const std::string& row2, const std::string& row3,
                 int steps) {
    return frame({"▓▓▓▓▓▓▓", row1, row2, row3, "▓▓▓▓▓▓▓"}, 7, steps);
}

std::string roomStart() {
    return room("▓♀□□□□▓", "▓□□●□□▓", "▓□□▼□□▓", 0);
}

class GameLoop : public PipeSession {};

TEST_F(GameLoop, LoadMessagesGoToStandardErrorAndThePromptRepeats) {
    writeLevel("bad", "#####\n#@x.#\n#####\n");
    writeLevel("lower-rem", "###\nrem\n");
    const ProcessResult r = play("x"
                                 "nope\n"
                                 "bad\n"
                                 "\n"
                                 "lower-rem\n"
                                 "quit\n");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, banner() + clear() + levelPrompt() + levelPrompt() + levelPrompt() +
                         levelPrompt() + levelPrompt());
    EXPECT_EQ(r.err, gbk("关卡不存在:-(\n关卡数据出错:-(\n关卡不存在:-(\n关卡数据出错:-(\n"));
}

TEST_F(GameLoop, NamesCloseToQuitAreLevelNames) {
    const ProcessResult r = play("x"
                                 "Quit\n"
                                 "quit \n"
                                 " quit\n"
                                 "quit\n");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out,
              banner() + clear() + levelPrompt() + levelPrompt() + levelPrompt() + levelPrompt());
    EXPECT_EQ(r.err, gbk("关卡不存在:-(\n关卡不存在:-(\n关卡不存在:-(\n"));
}

TEST_F(GameLoop, MovesPushesRestartHelpAndQuitWithTheTaunt) {
    writeLevel("room", ROOM_LEVEL);
    // down, right, right (pushes the box), R, H (then q, which the help wait swallows), Q.
    const ProcessResult r = play("x"
                                 "room\n" +
                                 DOWN + RIGHT + "\xe0M" + "r" + "h" + "q" + "Q");
    EXPECT_EQ(r.exitCode, 0);
    const std::string expected = banner() + clear() + levelPrompt() + roomStart() +
                                 room("▓□□□□□▓", "▓♀□●□□▓", "▓□□▼□□▓", 1) +
                                 room("▓□□□□□▓", "▓□♀●□□▓", "▓□□▼□□▓", 2) +
                                 room("▓□□□□□▓", "▓□□♀●□▓", "▓□□▼□□▓", 3) + roomStart() +
                                 gbk("上下左右键移动搬运工并且可以推箱子\n输入列号，非数字键，行号"
                                     "，移动到特定点（步数最小）\n"
                                     "R键重玩\nC键换地图\nS键自动求解\nQ键退出\n") +
                                 roomStart() + roomStart() + taunt();
    EXPECT_EQ(r.out, expected);
    EXPECT_EQ(r.err, gbk("载入成功:-)\n"));
}

TEST_F(GameLoop, BlockedMovesAndUnknownKeysOnlyRedraw) {
    writeLevel("room", ROOM_LEVEL);
    // up and left run into walls; "z", a 0 byte and 224 followed by an unknown code do nothing.
    const ProcessResult r = play("x"
                                 "room\n" +
                                 UP + LEFT + "z" + std::string(1, '\0') + "\xe0\x10" + "q");
    EXPECT_EQ(r.exitCode, 0);
    std::string expected = banner() + clear() + levelPrompt();
    for (int i = 0; i < 7; ++i) {
        expected += roomStart();
    }
    EXPECT_EQ(r.out, expected + taunt());
}

TEST_F(GameLoop, SolvedLevelLeadsToTheContinuePrompt) {
    writeLevel("push", PUSH_LEVEL);
    // Solve, answer with an unknown key, then Y, then leave at the level prompt.
    const ProcessResult r = play("x"
                                 "push\r\n"
                                 "\xe0M"
                                 "z"
                                 "y"
                                 "quit\n");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, banner() + clear() + levelPrompt() + frame({"▓▓▓▓▓", "▓♀●▼▓", "▓▓▓▓▓"}, 5, 0) +
                         frame({"▓▓▓▓▓", "▓□♀○▓", "▓▓▓▓▓"}, 5, 1) + continuePrompt() + "\n" +
                         continuePrompt() + clear() + levelPrompt());
    EXPECT_EQ(r.err, gbk("载入成功:-)\n"));
}

TEST_F(GameLoop, NoAtTheContinuePromptEndsWithoutTaunt) {
    writeLevel("push", PUSH_LEVEL);
    const ProcessResult r = play("x"
                                 "push\n" +
                                 RIGHT + "N" + "more keys that are never read");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, banner() + clear() + levelPrompt() + frame({"▓▓▓▓▓", "▓♀●▼▓", "▓▓▓▓▓"}, 5, 0) +
                         frame({"▓▓▓▓▓", "▓□♀○▓", "▓▓▓▓▓"}, 5, 1) + continuePrompt());
}

TEST_F(GameLoop, ChangingLevelWithC) {
    writeLevel("push", PUSH_LEVEL);
    writeLevel("room", ROOM_LEVEL);
    const ProcessResult r = play("x"
                                 "push\n"
                                 "c"
                                 "room\n"
                                 "q");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, banner() + clear() + levelPrompt() + frame({"▓▓▓▓▓", "▓♀●▼▓", "▓▓▓▓▓"}, 5, 0) +
                         clear() + levelPrompt() + roomStart() + roomStart() + taunt());
    EXPECT_EQ(r.err, gbk("载入成功:-)\n载入成功:-)\n"));
}

TEST_F(GameLoop, LevelSolvedAtLoadTakesAnyFirstKeyToThePrompt) {
    writeLevel("done", "####\n#@*#\n####\n");
    const ProcessResult r = play("x"
                                 "done\n"
                                 "Q"
                                 "n");
    EXPECT_EQ(r.exitCode, 0);
    const std::string board = frame({"▓▓▓▓", "▓♀○▓", "▓▓▓▓"}, 4, 0);
    EXPECT_EQ(r.out, banner() + clear() + levelPrompt() + board + board + continuePrompt());
}

TEST_F(GameLoop, EndOfInputEndsTheProgramAtOnceWhereverItWaits) {
    writeLevel("push", PUSH_LEVEL);
    const std::string start = banner() + clear() + levelPrompt();
    const std::string board = frame({"▓▓▓▓▓", "▓♀●▼▓", "▓▓▓▓▓"}, 5, 0);
    const struct {
        std::string input;
        std::string out;
    } cases[] = {
        {"", banner()},
        {"x", start},
        {"x"
         "pu",
         start + levelPrompt()},
        {"x"
         "push\n",
         start + board},
        {"x"
         "push\n"
         "\xe0",
         start + board},
        {"x"
         "push\n"
         "h",
         start + board + gbk(std::string(text::HELP))},
    };
    for (const auto& c : cases) {
        const ProcessResult r = play(c.input, 20.0);
        EXPECT_FALSE(r.timedOut) << c.input;
        EXPECT_EQ(r.exitCode, 0) << c.input;
        EXPECT_EQ(r.out, c.out) << c.input;
    }
    // A sequence cut off by the end of input still ends the program.
    for (const std::string input : {"x"
                                    "push\n"
                                    "\x1b",
                                    "x"
                                    "push\n"
                                    "\x1b[",
                                    "x"
                                    "push\n"
                                    "\x1b[1;"}) {
        const ProcessResult r = play(input, 20.0);
        EXPECT_FALSE(r.timedOut);
        EXPECT_EQ(r.exitCode, 0);
    }
}

} // namespace
} // namespace goalbox::test
