// The go-to-cell command and the trapped warning, driven through a pipe.
#include "e2e/PipeSessionTest.h"

namespace goalbox::test {
namespace {

const std::vector<std::string> HALL = {"#######", "#@    #", "#     #", "#  $  #",
                                       "#  .  #", "#     #", "#######"};

// The hall with the player moved from (1,1) to the given row and column.
std::vector<std::string> hallWithPlayerAt(int row, int column) {
    std::vector<std::string> map                                         = HALL;
    map[1][1]                                                            = ' ';
    map[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = '@';
    return map;
}

class GoToCell : public PipeSession {
  protected:
    void SetUp() override {
        PipeSession::SetUp();
        writeLevel("hall", levelText(HALL));
    }
    std::string start() const { return banner() + clear() + levelPrompt() + mapFrame(HALL, 0); }
};

TEST_F(GoToCell, WalksAlongAShortestWalkAndPrintsIt) {
    // Column 3, a comma, row 5, Enter; a key after the arrows; then Q.
    const ProcessResult r = play("x"
                                 "hall\n"
                                 "3,5\r"
                                 "k"
                                 "q");
    EXPECT_EQ(r.exitCode, 0);
    const std::string moved = mapFrame(hallWithPlayerAt(5, 3), 6);
    EXPECT_EQ(r.out, start() + gbk("X:3\tY:5\n路径长度:6\n→↓↓↓→↓\n") + moved + moved + taunt());
}

TEST_F(GoToCell, LeadingZerosAndLongNumbers) {
    // Column 0,0,5 is 5; row 1. Then from there column 00001 row 000002.
    const ProcessResult r = play("x"
                                 "hall\n"
                                 "005 1\n"
                                 "k"
                                 "00001;000002\n"
                                 "k"
                                 "q");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, start() + gbk("X:005\tY:1\n路径长度:4\n→→→→\n") +
                         mapFrame(hallWithPlayerAt(1, 5), 4) +
                         gbk("X:00001\tY:000002\n路径长度:5\n↓←←←←\n") +
                         mapFrame(hallWithPlayerAt(2, 1), 9) + mapFrame(hallWithPlayerAt(2, 1), 9) +
                         taunt());
}

TEST_F(GoToCell, AColumnPastTheRowEndReachesIntoTheNextRow) {
    // Width 7: column 8 of row 1 is column 1 of row 2, one step down.
    const ProcessResult r = play("x"
                                 "hall\n"
                                 "8.1\n"
                                 "k"
                                 "q");
    EXPECT_EQ(r.out, start() + gbk("X:8\tY:1\n路径长度:1\n↓\n") +
                         mapFrame(hallWithPlayerAt(2, 1), 1) + mapFrame(hallWithPlayerAt(2, 1), 1) +
                         taunt());
}

TEST_F(GoToCell, TargetsThatCannotBeWalkedToGiveLengthZero) {
    // A wall, the box, the player's own cell, a cell far past the board (65536 + 8 wraps to
    // cell 8, the player's own), then Q.
    const ProcessResult r = play("x"
                                 "hall\n"
                                 "0,0\n"
                                 "k"
                                 "3,3\n"
                                 "k"
                                 "1,1\n"
                                 "k"
                                 "65544,0\n"
                                 "k"
                                 "q");
    EXPECT_EQ(r.exitCode, 0);
    const std::string nothing = gbk("\n路径长度:0\n\n") + mapFrame(HALL, 0);
    EXPECT_EQ(r.out, start() + gbk("X:0\tY:0") + nothing + gbk("X:3\tY:3") + nothing +
                         gbk("X:1\tY:1") + nothing + gbk("X:65544\tY:0") + nothing +
                         mapFrame(HALL, 0) + taunt());
}

TEST_F(GoToCell, RowAbandonedByANonDigitOrAnArrow) {
    // A letter as the row's first key; then an arrow ending the column, whose second code is
    // the row's first key; then an arrow ending the row, whose second code the final wait takes.
    const ProcessResult r = play("x"
                                 "hall\n"
                                 "3,a"
                                 "4\xe0M"
                                 "1,2\x1b[B"
                                 "q");
    EXPECT_EQ(r.exitCode, 0);
    const std::string walked = mapFrame(hallWithPlayerAt(2, 1), 1);
    EXPECT_EQ(r.out, start() + gbk("X:3\tY:") + mapFrame(HALL, 0) + gbk("X:4\tY:") +
                         mapFrame(HALL, 0) + gbk("X:1\tY:2\n路径长度:1\n↓\n") + walked + walked +
                         taunt());
}

TEST_F(GoToCell, EndOfInputInsideTheCommandEndsTheProgram) {
    for (const std::string tail : {"3", "3,", "3,4", "3,4\n"}) {
        const ProcessResult r = play("x"
                                     "hall\n" +
                                         tail,
                                     20.0);
        EXPECT_FALSE(r.timedOut) << tail;
        EXPECT_EQ(r.exitCode, 0) << tail;
    }
}

TEST_F(GoToCell, TrappedWarningAfterAPushIntoTheTopWallGoneAfterRestart) {
    // Down three times, right twice, then up twice pushes the box against the top wall, where
    // no goal is.
    const ProcessResult r = play("x"
                                 "hall\n"
                                 "\xe0P\xe0P\xe0P\xe0M\xe0M\xe0H\xe0H"
                                 "r"
                                 "q");
    EXPECT_EQ(r.exitCode, 0);
    std::vector<std::string> pushed = HALL;
    pushed[1]                       = "#  $  #";
    pushed[2]                       = "#  @  #";
    pushed[3]                       = "#     #";
    const std::string end           = mapFrame(pushed, 7, true);
    EXPECT_NE(r.out.find(end), std::string::npos);
    EXPECT_EQ(r.out.substr(r.out.size() - (2 * mapFrame(HALL, 0).size() + taunt().size())),
              mapFrame(HALL, 0) + mapFrame(HALL, 0) + taunt());
}

TEST_F(GoToCell, TrappedWarningAfterAPushIntoACornerGoneAfterRestart) {
    const std::vector<std::string> corner = {"######", "# $@.#", "#    #", "######"};
    writeLevel("corner", levelText(corner));
    const ProcessResult r = play("x"
                                 "corner\n"
                                 "\xe0K"
                                 "r"
                                 "q");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, banner() + clear() + levelPrompt() + mapFrame(corner, 0) +
                         mapFrame({"######", "#$@ .#", "#    #", "######"}, 1, true) +
                         mapFrame(corner, 0) + mapFrame(corner, 0) + taunt());
}

} // namespace
} // namespace goalbox::test
