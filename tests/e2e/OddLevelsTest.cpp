// Odd but valid level files played through the real program: the smallest and thinnest boards,
// the size limit, columns past 99, no player or two, no boxes, more goals than boxes, a map of
// no rows, and CR LF files without a final line break.
#include "e2e/PipeSessionTest.h"

#include <string>
#include <vector>

namespace goalbox::test {
namespace {

const std::string RIGHT = "\x1b[C";
const std::string DOWN  = "\x1b[B";
const std::string LEFT  = "\x1b[D";

const std::string OUTSIDE = "　";

std::string start() {
    return banner() + clear() + levelPrompt();
}
std::string repeated(const std::string& piece, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += piece;
    }
    return text;
}
// The lines of the solve command when no solution exists, up to the route (the time varies).
void expectProvedUnsolvable(const std::string& out) {
    EXPECT_NE(out.find(gbk("正在求解，请耐心等待……\n")), std::string::npos);
    EXPECT_NE(out.find(gbk("证明无解！\n")), std::string::npos);
    EXPECT_NE(out.find(gbk("\n求解路线：\n")), std::string::npos);
}

class OddLevels : public PipeSession {};

TEST_F(OddLevels, OneCellOneRowAndOneColumn) {
    // A lone "@": floor at the edge, so outside, with the player on it; nothing moves.
    writeLevel("cell", "@\n");
    ProcessResult r = play("x"
                           "cell\n" +
                           RIGHT + DOWN + "q");
    EXPECT_EQ(r.exitCode, 0);
    const std::string cell = frame({"♀"}, 1, 0);
    EXPECT_EQ(r.out, start() + cell + cell + cell + cell + taunt());
    EXPECT_EQ(r.err, gbk("载入成功:-)\n"));

    // One row: the push onto the goal solves it. Until then the dead-line rule reads the box's
    // column against the outside cell beside it, finds no exit and shows the warning.
    writeLevel("row", "@$.");
    r = play("x"
             "row\n" +
             LEFT + RIGHT + "n");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, start() + frame({"♀●▼"}, 3, 0, true) + frame({"♀●▼"}, 3, 0, true) +
                         frame({OUTSIDE + "♀○"}, 3, 1) + continuePrompt());

    // One column: sideways is refused, the push down solves it; the same warning until then.
    writeLevel("column", "@\n$\n.\n");
    r = play("x"
             "column\n" +
             RIGHT + LEFT + DOWN + "n");
    EXPECT_EQ(r.exitCode, 0);
    const std::string upright = frame({"♀", "●", "▼"}, 1, 0, true);
    EXPECT_EQ(r.out, start() + upright + upright + upright + frame({OUTSIDE, "♀", "○"}, 1, 1) +
                         continuePrompt());
}

TEST_F(OddLevels, LargestBoardLoadsAndOneCellMoreIsRefused) {
    // 7 rows of 4681 cells: 32767, the most a 16-bit cell index reaches. The player stands
    // walled in at row 3, column 1.
    std::string largest;
    std::vector<std::string> rows;
    for (int row = 0; row < 7; ++row) {
        std::string line(4681, '#');
        std::string symbols = repeated("▓", 4681);
        if (row == 3) {
            line[1] = '@';
            symbols = "▓♀" + repeated("▓", 4679);
        }
        largest += line + "\n";
        rows.push_back(symbols);
    }
    writeLevel("largest", largest);
    // 8 rows of 4096 cells: 32768.
    std::string tooLarge;
    for (int row = 0; row < 8; ++row) {
        tooLarge += std::string(4096, '#') + "\n";
    }
    writeLevel("too-large", tooLarge);

    const ProcessResult r = play("x"
                                 "too-large\n"
                                 "largest\n" +
                                 RIGHT + "q");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, gbk("关卡数据出错:-(\n载入成功:-)\n"));
    const std::string board = frame(rows, 4681, 0);
    EXPECT_EQ(r.out, start() + levelPrompt() + board + board + board + taunt());
}

TEST_F(OddLevels, ColumnsPastNinetyNineHaveThreeDigitLabels) {
    // A corridor 105 cells wide; go to column 102 of row 1, then one step left.
    const std::string wall = std::string(105, '#');
    writeLevel("wide", wall + "\n#@" + std::string(102, ' ') + "#\n" + wall + "\n");
    const ProcessResult r = play("x"
                                 "wide\n"
                                 "102,1\n"
                                 "k" +
                                 LEFT + "q");
    EXPECT_EQ(r.exitCode, 0);
    const std::string top = repeated("▓", 105);
    auto corridor         = [&](int player) {
        std::string row = "▓";
        for (int column = 1; column < 104; ++column) {
            row += column == player ? "♀" : "□";
        }
        return row + "▓";
    };
    // frame() writes the labels "00" ... "99", "100" ... "104" and the rows "00" ... "02".
    const std::string atEnd = frame({top, corridor(102), top}, 105, 101);
    const std::string back  = frame({top, corridor(101), top}, 105, 102);
    EXPECT_EQ(r.out, start() + frame({top, corridor(1), top}, 105, 0) +
                         gbk("X:102\tY:1\n路径长度:101\n" + repeated("→", 101) + "\n") + atEnd +
                         back + back + taunt());
    EXPECT_NE(atEnd.find("979899100101102103104\n"), std::string::npos);
}

TEST_F(OddLevels, NoPlayerStandsOnCellZeroAndTwoPlayersKeepTheLast) {
    // Without "@" the player is on cell 0, here a wall, walled in: no move, no solution.
    const std::vector<std::string> walled = {"♀▓▓▓▓", "▓□●▼▓", "▓▓▓▓▓"};
    writeLevel("no-player", "#####\n# $.#\n#####\n");
    ProcessResult r = play("x"
                           "no-player\n" +
                           RIGHT + DOWN + "s" + "k" + "k" + "q");
    EXPECT_EQ(r.exitCode, 0);
    expectProvedUnsolvable(r.out);
    EXPECT_EQ(r.out.substr(0, start().size() + 3 * frame(walled, 5, 0).size()),
              start() + repeated(frame(walled, 5, 0), 3));
    EXPECT_TRUE(r.out.ends_with(frame(walled, 5, 0) + frame(walled, 5, 0) + taunt()));

    // With two, the later one holds the player; the earlier one is floor.
    writeLevel("two-players", "#####\n#@ @#\n# $.#\n#####\n");
    r = play("x"
             "two-players\n" +
             LEFT + "q");
    EXPECT_EQ(r.exitCode, 0);
    const std::string moved = frame({"▓▓▓▓▓", "▓□♀□▓", "▓□●▼▓", "▓▓▓▓▓"}, 5, 1);
    EXPECT_EQ(r.out, start() + frame({"▓▓▓▓▓", "▓□□♀▓", "▓□●▼▓", "▓▓▓▓▓"}, 5, 0) + moved + moved +
                         taunt());
}

TEST_F(OddLevels, NoBoxesIsNeverSolvedAndMoreGoalsThanBoxesIsSolvedByTheBoxes) {
    const std::vector<std::string> empty = {"#####", "#@ .#", "#####"};
    writeLevel("no-boxes", "#####\n#@ .#\n#####\n");
    ProcessResult r = play("x"
                           "no-boxes\n" +
                           RIGHT + RIGHT + "s" + "k" + "k" + "q");
    EXPECT_EQ(r.exitCode, 0);
    expectProvedUnsolvable(r.out);
    const std::string onGoal = mapFrame({"#####", "#  +#", "#####"}, 2);
    EXPECT_EQ(r.out.substr(0, (start() + mapFrame(empty, 0)).size()), start() + mapFrame(empty, 0));
    EXPECT_TRUE(r.out.ends_with(onGoal + onGoal + taunt())) << r.out;

    // One box, two goals: the box on either goal solves the level.
    writeLevel("spare-goal", "######\n#@$..#\n######\n");
    r = play("x"
             "spare-goal\n" +
             RIGHT + "n");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, start() + mapFrame({"######", "#@$..#", "######"}, 0) +
                         mapFrame({"######", "# @*.#", "######"}, 1) + continuePrompt());
}

TEST_F(OddLevels, MapOfNoRowsShowsOnlyTheColumnLabels) {
    // The "REM" line alone: no rows, three columns. S here once crashed the program: the
    // solver's dead-line test read the first cell of every column of a board without cells.
    writeLevel("rem", "REM\n#@$.#\n");
    const ProcessResult r = play("x"
                                 "rem\n" +
                                 RIGHT + "s" + "k" + "k" + "q");
    EXPECT_EQ(r.exitCode, 0);
    expectProvedUnsolvable(r.out);
    const std::string nothing = frame({}, 3, 0);
    EXPECT_EQ(r.out.substr(0, (start() + nothing + nothing).size()), start() + nothing + nothing);
    EXPECT_TRUE(r.out.ends_with(nothing + nothing + taunt()));
}

TEST_F(OddLevels, CrLfFileWithoutFinalLineBreakPlaysLikeItsLfForm) {
    writeLevel("lf", "#####\n#@$.#\n#####\n");
    writeLevel("crlf", "#####\r\n#@$.#\r\n#####");
    writeLevel("crlf-rem", "#####\r\n#@$.#\r\n#####\r\nREM\r\n1");
    std::string outputs[3];
    int i = 0;
    for (const std::string name : {"lf", "crlf", "crlf-rem"}) {
        const ProcessResult r = play("x" + name + "\n" + RIGHT + "n");
        EXPECT_EQ(r.exitCode, 0) << name;
        EXPECT_EQ(r.err, gbk("载入成功:-)\n")) << name;
        outputs[i++] = r.out;
    }
    EXPECT_EQ(outputs[0], start() + mapFrame({"#####", "#@$.#", "#####"}, 0) +
                              mapFrame({"#####", "# @*#", "#####"}, 1) + continuePrompt());
    EXPECT_EQ(outputs[1], outputs[0]);
    EXPECT_EQ(outputs[2], outputs[0]);
}

} // namespace
} // namespace goalbox::test
