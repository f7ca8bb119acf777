// The solve command driven through a pipe.
#include "e2e/PipeSessionTest.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

namespace goalbox::test {
namespace {

const std::vector<std::string> PUSH = {"#####", "#@$.#", "#####"};
const std::vector<std::string> HALL = {"#######", "#@    #", "#     #", "#  $  #",
                                       "#  .  #", "#     #", "#######"};

// Seconds from a count of milliseconds in the stream's default format: "0", "2.5", "0.016".
bool isSecondsOfMillis(const std::string& text) {
    const std::size_t dot      = text.find('.');
    const std::string whole    = text.substr(0, dot);
    const std::string fraction = dot == std::string::npos ? "" : text.substr(dot + 1);
    auto digits                = [](const std::string& s) {
        return !s.empty() &&
               std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isdigit(c); });
    };
    return digits(whole) && (dot == std::string::npos ||
                             (digits(fraction) && fraction.size() <= 3 && fraction.back() != '0'));
}

// Splits off the time of the line "\n求解结束,总共用时:<time>\n", which cannot be predicted,
// and checks that it is a number of seconds in the stream's default format.
std::string withoutTime(const std::string& out) {
    const std::string head = gbk("\n求解结束,总共用时:");
    const std::size_t at   = out.find(head);
    if (at == std::string::npos) {
        return out;
    }
    const std::size_t end  = out.find('\n', at + head.size());
    const std::string time = out.substr(at + head.size(), end - at - head.size());
    EXPECT_TRUE(isSecondsOfMillis(time)) << time;
    return out.substr(0, at + head.size()) + "<time>" + withoutTime(out.substr(end));
}

class SolveCommand : public PipeSession {};

TEST_F(SolveCommand, SolvesReplaysAndLeadsToTheContinuePrompt) {
    writeLevel("push", levelText(PUSH));
    const ProcessResult r = play("x"
                                 "push\n"
                                 "s"
                                 "k"
                                 "n");
    EXPECT_EQ(r.exitCode, 0);
    const std::string solved = mapFrame({"#####", "# @*#", "#####"}, 1);
    EXPECT_EQ(withoutTime(r.out), banner() + clear() + levelPrompt() + mapFrame(PUSH, 0) +
                                      gbk("正在求解，请耐心等待……\n") + solved +
                                      gbk("\n求解结束,总共用时:") + "<time>" +
                                      gbk("\n求解路线：→\n") + solved + continuePrompt());
}

TEST_F(SolveCommand, UnsolvableLevelIsProvedSoAndPlayGoesOn) {
    // Two boxes and one goal: no position is ever solved.
    const std::vector<std::string> map = {"######", "#@$ .#", "# $  #", "#    #", "######"};
    writeLevel("two", levelText(map));
    const ProcessResult r = play("x"
                                 "two\n"
                                 "S"
                                 "a"
                                 "b"
                                 "q");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(withoutTime(r.out), banner() + clear() + levelPrompt() + mapFrame(map, 0) +
                                      gbk("正在求解，请耐心等待……\n证明无解！\n") +
                                      mapFrame(map, 0) + gbk("\n求解结束,总共用时:") + "<time>" +
                                      gbk("\n求解路线：\n") + mapFrame(map, 0) + mapFrame(map, 0) +
                                      taunt());
}

TEST_F(SolveCommand, SolvesFromTheCurrentPositionAndRestartStillWorks) {
    writeLevel("hall", levelText(HALL));
    // One step right, then S; after the route a key, then N at the continue prompt.
    const ProcessResult r           = play("x"
                                                     "hall\n"
                                                     "\xe0M"
                                                     "s"
                                                     "k"
                                                     "n");
    std::vector<std::string> solved = HALL;
    solved[1]                       = "#     #";
    solved[2]                       = "#     #";
    solved[3]                       = "#  @  #";
    solved[4]                       = "#  *  #";
    std::vector<std::string> moved  = HALL;
    moved[1]                        = "# @   #";
    // Walk right, down, then push down: three steps on top of the one already made.
    EXPECT_EQ(withoutTime(r.out), banner() + clear() + levelPrompt() + mapFrame(HALL, 0) +
                                      mapFrame(moved, 1) + gbk("正在求解，请耐心等待……\n") +
                                      mapFrame(solved, 4) + gbk("\n求解结束,总共用时:") + "<time>" +
                                      gbk("\n求解路线：→↓↓\n") + mapFrame(solved, 4) +
                                      continuePrompt());
}

TEST_F(SolveCommand, RestartAfterAFailedSearchGivesTheStart) {
    const std::vector<std::string> map = {"######", "#@$ .#", "# $  #", "#    #", "######"};
    writeLevel("two", levelText(map));
    std::vector<std::string> moved = map;
    moved[1]                       = "# @$.#";
    const ProcessResult r          = play("x"
                                                   "two\n"
                                                   "\xe0M"
                                                   "s"
                                                   "a"
                                                   "b"
                                                   "r"
                                                   "q");
    EXPECT_EQ(r.exitCode, 0);
    const std::string tail = mapFrame(map, 0) + mapFrame(map, 0) + taunt();
    ASSERT_GE(r.out.size(), tail.size());
    EXPECT_EQ(r.out.substr(r.out.size() - tail.size()), tail);
    EXPECT_NE(r.out.find(mapFrame(moved, 1)), std::string::npos);
}

// A level beyond the fewest steps in a small budget (see tests/levels/PROVENANCE.md), and that
// budget in MiB.
const char* const BEYOND_LEVEL  = "classic-0017.txt";
const char* const BEYOND_BUDGET = "GOALBOX_MEMORY_MIB=16";

std::string repositoryLevel(const std::string& name) {
    std::ifstream in(std::string(GOALBOX_SOURCE_DIR "/tests/levels/") + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Out of memory the exact search gives way to the route of the other search: the line that
// says why, then the board, the time and the route, which solves the level (the continue
// prompt follows its key wait) with one arrow per step counted.
TEST_F(SolveCommand, OutOfMemoryShowsTheRouteOfTheOtherSearch) {
    const std::string level = repositoryLevel(BEYOND_LEVEL);
    ASSERT_FALSE(level.empty());
    writeLevel("beyond", level);
    const ProcessResult r = play("x"
                                 "beyond\n"
                                 "s"
                                 "k"
                                 "n",
                                 600.0, {BEYOND_BUDGET});
    EXPECT_EQ(r.exitCode, 0);
    const std::string why =
        gbk("\n内存不足，未能求出最少步数；下面的路线可以解开本关，但未必最短。\n");
    const std::size_t at   = r.out.find(gbk("正在求解，请耐心等待……\n"));
    const std::size_t said = r.out.find(why);
    ASSERT_NE(at, std::string::npos) << r.out;
    ASSERT_NE(said, std::string::npos) << r.out;
    EXPECT_EQ(r.out.find(gbk("证明无解")), std::string::npos);

    // The final board's step counter and the route's arrows.
    const std::string counter = gbk("已经走过的步数:\t");
    const std::size_t steps   = r.out.rfind(counter, said);
    ASSERT_NE(steps, std::string::npos);
    const int counted           = std::stoi(r.out.substr(steps + counter.size()));
    const std::string routeHead = gbk("\n求解路线：");
    const std::size_t route     = r.out.find(routeHead, said);
    ASSERT_NE(route, std::string::npos);
    const std::size_t routeEnd = r.out.find('\n', route + routeHead.size());
    const std::string arrows =
        r.out.substr(route + routeHead.size(), routeEnd - route - routeHead.size());
    EXPECT_GT(counted, 0);
    EXPECT_EQ(arrows.size(), 2 * static_cast<std::size_t>(counted)); // two GBK bytes each
    const std::string tail = continuePrompt();
    ASSERT_GE(r.out.size(), tail.size());
    EXPECT_EQ(r.out.substr(r.out.size() - tail.size()), tail);
}

TEST_F(SolveCommand, MemorySettingThatIsNoPositiveNumberIsReported) {
    for (const char* value : {"GOALBOX_MEMORY_MIB=lots", "GOALBOX_MEMORY_MIB=0"}) {
        SCOPED_TRACE(value);
        const ProcessResult r = play("x"
                                     "quit\n",
                                     60.0, {value});
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.err, gbk("环境变量 GOALBOX_MEMORY_MIB 应是一个正整数（求解可用的内存，单位 "
                             "MiB），现改用默认的内存上限。\n"));
        EXPECT_EQ(r.out, banner() + clear() + levelPrompt());
    }
}

} // namespace
} // namespace goalbox::test
