// The terminal is given back as it was found, however the game ends or pauses: Q, "quit",
// Ctrl-C, SIGTERM and SIGHUP from outside during a key wait, and Ctrl-Z with fg, after which
// the game takes its key mode back and repaints its screen. The same during a long solve, whose
// two searches run on threads of their own while the terminal stays in key mode for the Esc.
//
// The game runs under an interactive dash (job control, no line editor: the shell itself never
// changes the terminal's mode) in a tmux pane. The modes before and after are `stty -g` typed
// into that shell; the mode while the game waits or is stopped is read from outside with
// `stty -g -F` on the pane's terminal.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>

#include "support/Process.h"
#include "tty/Tmux.h"

namespace goalbox::test {
namespace {

const std::string ROOM_LEVEL = "#######\n#@    #\n#  $  #\n#  .  #\n#######\n";

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

// Output of a shell command, trailing line break dropped.
std::string commandOutput(const std::string& command) {
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[1024];
        std::size_t n = 0;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
            output.append(buffer, n);
        }
        pclose(pipe);
    }
    while (!output.empty() && output.back() == '\n') {
        output.pop_back();
    }
    return output;
}

class TerminalModes : public ::testing::Test {
  protected:
    void SetUp() override {
        if (std::system("command -v tmux >/dev/null 2>&1") != 0) {
            GTEST_SKIP() << "tmux is not installed";
        }
        if (std::system("command -v dash >/dev/null 2>&1") != 0) {
            GTEST_SKIP() << "dash, a shell with job control and without a line editor, is not "
                            "installed";
        }
        root_ = makeScratchDir("tty-modes");
        std::filesystem::create_directories(root_ + "/STAGES/ZIRK");
        std::filesystem::create_directories(root_ + "/run");
        std::ofstream(root_ + "/STAGES/ZIRK/room") << ROOM_LEVEL;
        // Beyond the exact search for long; solveAny finds a route on "offer" at once, and
        // none on "large" for a long time.
        std::ofstream(root_ + "/STAGES/ZIRK/large")
            << readFile(GOALBOX_SOURCE_DIR "/tests/levels/classic-0050.txt");
        std::ofstream(root_ + "/STAGES/ZIRK/offer")
            << readFile(GOALBOX_SOURCE_DIR "/tests/levels/classic-0017.txt");
        const std::string socket =
            "goalbox-modes-" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
            std::to_string(::getpid());
        tmux_ = std::make_unique<Tmux>(socket);
        tmux_->run("new-session -d -s game -x 100 -y 30 \"cd '" + root_ +
                   "/run' && exec env LC_ALL=C.UTF-8 PS1='sh> ' dash -i\"");
        tmux_->waitFor("sh>");
        tty_ = commandOutput("tmux -L " + socket + " display -p -t game '#{pane_tty}'");
        ASSERT_EQ(tty_.rfind("/dev/", 0), 0u) << tty_;
    }
    void TearDown() override {
        tmux_.reset();
        if (!root_.empty()) {
            std::filesystem::remove_all(root_);
        }
    }

    // Types a line into the pane's shell.
    void type(const std::string& line) const {
        tmux_->run("send-keys -t game -l " + quoted(line));
        tmux_->run("send-keys -t game Enter");
    }
    static std::string quoted(const std::string& text) {
        std::string out = "'";
        for (const char c : text) {
            out += c == '\'' ? std::string("'\\''") : std::string(1, c);
        }
        return out + "'";
    }
    // Waits for a file that a typed command writes, and returns its first line.
    std::string waitForFile(const std::string& name) const {
        const std::string path = root_ + "/" + name;
        for (int i = 0; i < 100; ++i) {
            const std::string content = readFile(path);
            if (!content.empty() && content.back() == '\n') {
                return content.substr(0, content.find('\n'));
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        ADD_FAILURE() << "never written: " << name << "\nscreen:\n" << tmux_->screen();
        return {};
    }
    // The pane terminal's mode, read from outside.
    std::string modeNow() const { return commandOutput("stty -g -F " + tty_); }
    // Waits until the mode differs from (or, with `same`, equals) `mode`; returns it.
    std::string waitForMode(const std::string& mode, bool same) const {
        std::string now;
        for (int i = 0; i < 100; ++i) {
            now = modeNow();
            if ((now == mode) == same) {
                return now;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        ADD_FAILURE() << "terminal mode stayed " << now;
        return now;
    }

    // Records the mode in the pane, starts the game there and loads a level; returns once
    // the game waits for a key on the board.
    void startOnBoard(const std::string& level = "room") {
        type("stty -g > ../before");
        before_ = waitForFile("before");
        type("sh -c 'echo $$ > ../pid; exec " + std::string(GOALBOX_BINARY) + "'");
        pid_ = std::stoi(waitForFile("pid"));
        tmux_->waitFor("推箱子");
        waitForMode(before_, false); // the banner's key wait
        tmux_->run("send-keys -t game x");
        tmux_->waitFor("ZIRK");
        type(level);
        tmux_->waitFor("H键显示帮助");
        keyMode_ = waitForMode(before_, false);
    }
    // Waits until the game has ended, then records its exit status and the mode in the pane.
    int finish() {
        for (int i = 0; i < 100 && ::kill(pid_, 0) == 0; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        EXPECT_EQ(::kill(pid_, 0), -1) << "the game is still running";
        type("echo $? > ../status; stty -g > ../after");
        after_ = waitForFile("after");
        return std::stoi(waitForFile("status"));
    }
    // Starts the solve of a level that the exact search cannot end soon; returns once the
    // progress line shows `cue` (which may take solveAny a while in a sanitizer build). The
    // terminal is then in key mode.
    void startLongSolve(const std::string& level = "large", const std::string& cue = "已存局面") {
        startOnBoard(level);
        tmux_->run("send-keys -t game s");
        tmux_->waitFor(cue, false, 120);
        EXPECT_EQ(modeNow(), keyMode_);
    }
    // The state letter of the game's process in /proc (R, S, T, ...).
    char processState() const {
        const std::string stat = readFile("/proc/" + std::to_string(pid_) + "/stat");
        const std::size_t end  = stat.rfind(')');
        return end == std::string::npos || end + 2 >= stat.size() ? '?' : stat[end + 2];
    }

    std::string root_;
    std::unique_ptr<Tmux> tmux_;
    std::string tty_;
    std::string before_;
    std::string keyMode_;
    std::string after_;
    pid_t pid_ = -1;
};

TEST_F(TerminalModes, QuitWithQ) {
    startOnBoard();
    EXPECT_NE(keyMode_, before_); // the key wait really changed the mode
    tmux_->run("send-keys -t game q");
    EXPECT_EQ(finish(), 0);
    EXPECT_EQ(after_, before_);
}

TEST_F(TerminalModes, QuitAtTheLevelPrompt) {
    startOnBoard();
    tmux_->run("send-keys -t game c");
    tmux_->waitFor("ZIRK");
    type("quit");
    EXPECT_EQ(finish(), 0);
    EXPECT_EQ(after_, before_);
}

TEST_F(TerminalModes, CtrlCDuringAKeyWait) {
    startOnBoard();
    tmux_->run("send-keys -t game C-c");
    EXPECT_EQ(finish(), 128 + SIGINT);
    EXPECT_EQ(after_, before_);
}

TEST_F(TerminalModes, TermFromOutsideDuringAKeyWait) {
    startOnBoard();
    ASSERT_EQ(::kill(pid_, SIGTERM), 0);
    EXPECT_EQ(finish(), 128 + SIGTERM);
    EXPECT_EQ(after_, before_);
}

TEST_F(TerminalModes, HangUpFromOutsideDuringAKeyWait) {
    startOnBoard();
    ASSERT_EQ(::kill(pid_, SIGHUP), 0);
    EXPECT_EQ(finish(), 128 + SIGHUP);
    EXPECT_EQ(after_, before_);
}

TEST_F(TerminalModes, CtrlZRestoresThenFgTakesKeysAgainAndRepaints) {
    startOnBoard();
    tmux_->run("send-keys -t game Right");
    tmux_->waitFor(": 1", true);

    // Stopped: the terminal as it was found, and the shell at its prompt.
    tmux_->run("send-keys -t game C-z");
    tmux_->waitFor("Stopped");
    EXPECT_EQ(waitForMode(before_, true), before_);
    EXPECT_EQ(processState(), 'T');

    // Clear the screen from the shell, then continue: the board comes back by itself, and the
    // next arrow is read as a key at once.
    type("printf '\\033[H\\033[2J'");
    for (int i = 0; i < 50 && tmux_->screen().find("H键显示帮助") != std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_EQ(tmux_->screen().find("H键显示帮助"), std::string::npos);
    type("fg");
    const std::string repainted = tmux_->waitFor(": 1", true);
    EXPECT_NE(repainted.find("H键显示帮助"), std::string::npos) << repainted;
    EXPECT_EQ(waitForMode(keyMode_, true), keyMode_);
    tmux_->run("send-keys -t game Right");
    tmux_->waitFor(": 2", true);

    tmux_->run("send-keys -t game q");
    EXPECT_EQ(finish(), 0);
    EXPECT_EQ(after_, before_);
}

// Esc once the line offers a route takes it; a key typed before the Esc is not lost but ends the
// key wait after the route, as keys typed during a search always did, so the continue prompt of
// the solved board follows by itself.
TEST_F(TerminalModes, EscDuringASolveTakesTheRouteAndKeepsOtherKeys) {
    startLongSolve("offer", "按Esc采用");
    tmux_->run("send-keys -t game x");
    tmux_->run("send-keys -t game Escape");
    // The board is solved (the route and its lines were on the screen before the kept key).
    tmux_->waitFor("是否继续");
    EXPECT_EQ(waitForMode(before_, false), keyMode_);
    tmux_->run("send-keys -t game n");
    EXPECT_EQ(finish(), 0);
    EXPECT_EQ(after_, before_);
}

TEST_F(TerminalModes, CtrlCDuringASolve) {
    startLongSolve();
    tmux_->run("send-keys -t game C-c");
    EXPECT_EQ(finish(), 128 + SIGINT);
    EXPECT_EQ(after_, before_);
}

// Ctrl-Z stops both searches with the program; after fg the screen comes back and the search
// goes on where it was.
TEST_F(TerminalModes, CtrlZDuringASolveThenFgGoesOn) {
    startLongSolve();
    tmux_->run("send-keys -t game C-z");
    tmux_->waitFor("Stopped");
    EXPECT_EQ(waitForMode(before_, true), before_);
    EXPECT_EQ(processState(), 'T');

    type("printf '\\033[H\\033[2J'");
    for (int i = 0; i < 50 && tmux_->screen().find("正在求解") != std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_EQ(tmux_->screen().find("正在求解"), std::string::npos);
    type("fg");
    const std::string repainted = tmux_->waitFor("已存局面");
    EXPECT_NE(repainted.find("正在求解"), std::string::npos) << repainted;
    EXPECT_EQ(waitForMode(keyMode_, true), keyMode_);
    // The progress line moves on.
    std::string later = repainted;
    for (int i = 0; i < 100 && later == repainted; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        later = tmux_->screen();
    }
    EXPECT_NE(later, repainted);

    tmux_->run("send-keys -t game C-c");
    EXPECT_EQ(finish(), 128 + SIGINT);
    EXPECT_EQ(after_, before_);
}

} // namespace
} // namespace goalbox::test
