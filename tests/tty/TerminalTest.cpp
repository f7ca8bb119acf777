// The game in a real terminal (tmux, UTF-8 locale): the board's cells stand in their columns
// whatever width the terminal gives the symbols.
#include <gtest/gtest.h>

#include <chrono>
#include <clocale>
#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "support/Process.h"
#include "tty/Tmux.h"

namespace goalbox::test {
namespace {

// The characters of a captured line with the terminal column each starts at.
std::vector<std::pair<int, std::wstring>> columnsOf(const std::string& line) {
    std::vector<std::pair<int, std::wstring>> cells;
    std::mbstate_t state{};
    const char* p   = line.c_str();
    const char* end = p + line.size();
    int column      = 0;
    while (p < end) {
        wchar_t wc     = 0;
        const size_t n = std::mbrtowc(&wc, p, static_cast<size_t>(end - p), &state);
        if (n == 0 || n == static_cast<size_t>(-1) || n == static_cast<size_t>(-2)) {
            break;
        }
        cells.emplace_back(column, std::wstring(1, wc));
        const int width = wcwidth(wc);
        column += width > 0 ? width : 1;
        p += n;
    }
    return cells;
}

std::vector<std::string> linesOf(const std::string& screen) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= screen.size()) {
        const std::size_t end = screen.find('\n', start);
        lines.push_back(screen.substr(start, end - start));
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    return lines;
}

TEST(Terminal, BoardCellsStandInTheirColumns) {
    if (std::system("command -v tmux >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "tmux is not installed";
    }
    ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);

    const std::string root = makeScratchDir("tty");
    std::filesystem::create_directories(root + "/STAGES/ZIRK");
    std::filesystem::create_directories(root + "/run");
    std::ofstream(root + "/STAGES/ZIRK/room") << "#######\n#@    #\n#  $  #\n#  .  #\n#######\n";

    Tmux tmux("goalbox-test-" + std::to_string(::getpid()));
    tmux.run("new-session -d -s game -x 100 -y 30 \"cd '" + root + "/run' && LC_ALL=C.UTF-8 '" +
             std::string(GOALBOX_BINARY) + "'; sleep 30\"");
    tmux.waitFor("goalbox");
    tmux.run("send-keys -t game x");
    tmux.waitFor("ZIRK");
    tmux.run("send-keys -t game room Enter");
    tmux.waitFor("H键显示帮助");
    tmux.run("send-keys -t game Down Right Right");
    const std::string shown = tmux.waitFor(": 3", true);

    // The board after down, right, right: the box pushed one cell right.
    const std::vector<std::wstring> expected = {L"▓▓▓▓▓▓▓", L"▓□□□□□▓", L"▓□□♀●□▓", L"▓□□▼□□▓",
                                                L"▓▓▓▓▓▓▓"};
    const std::vector<std::string> lines     = linesOf(shown);
    std::size_t header                       = 0;
    while (header < lines.size() && lines[header].rfind("  00", 0) != 0) {
        ++header;
    }
    ASSERT_LT(header + expected.size(), lines.size()) << shown;
    // Column labels: "00" at column 2, "01" at column 4, ...
    EXPECT_EQ(lines[header], "  00010203040506");
    for (std::size_t row = 0; row < expected.size(); ++row) {
        const auto cells = columnsOf(lines[header + 1 + row]);
        std::wstring symbols;
        for (const auto& [column, ch] : cells) {
            if (column >= 2 && column % 2 == 0) {
                symbols += ch;
            } else if (column >= 2) {
                EXPECT_EQ(ch, L" ") << "row " << row << " column " << column;
            }
        }
        EXPECT_EQ(symbols, expected[row]) << "row " << row << "\n" << shown;
    }
    std::filesystem::remove_all(root);
}

} // namespace
} // namespace goalbox::test
