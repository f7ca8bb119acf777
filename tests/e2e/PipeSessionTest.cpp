// Shared set-up of the end-to-end sessions.
#include "e2e/PipeSessionTest.h"

#include <filesystem>
#include <fstream>

#include "app/Messages.h"

namespace goalbox::test {

void PipeSession::SetUp() {
    root   = makeScratchDir("e2e");
    runDir = root + "/run";
    std::filesystem::create_directories(root + "/STAGES/ZIRK");
    std::filesystem::create_directories(runDir);
}

void PipeSession::TearDown() {
    std::filesystem::remove_all(root);
}

void PipeSession::writeLevel(const std::string& name, const std::string& content) const {
    std::ofstream(root + "/STAGES/ZIRK/" + name, std::ios::binary) << content;
}

ProcessResult PipeSession::play(const std::string& input, double timeoutSeconds,
                                const std::vector<std::string>& env) const {
    std::vector<std::string> all = {"LC_ALL=C"};
    all.insert(all.end(), env.begin(), env.end());
    return runProgram(GOALBOX_BINARY, input, runDir, all, timeoutSeconds);
}

std::string gbk(const std::string& utf8) {
    return toGbk(utf8);
}

// Built by appending, like the labels in frame(): a literal + std::string makes GCC 12 report a
// false -Wrestrict inside libstdc++ at -O3, and the Release test build treats warnings as errors.
std::string banner() {
    std::string utf8 = "\t";
    utf8 += text::TITLE;
    utf8 += '\n';
    utf8 += text::INFO;
    utf8 += '\n';
    return gbk(utf8);
}

std::string clear() {
    return "\x1b[H\x1b[2J\x1b[3J";
}

std::string levelPrompt() {
    return gbk("选择关卡(默认路径:\t../STAGES/ZIRK/)：");
}

std::string continuePrompt() {
    return gbk("是否继续？（Ｙ／Ｎ）");
}

std::string taunt() {
    return gbk("怕了吧，果然是SB!哈哈\n");
}

std::string frame(const std::vector<std::string>& rows, int width, int steps, bool trapped) {
    auto label = [](int n) { // appended, as in banner()
        std::string digits = n < 10 ? "0" : "";
        return digits += std::to_string(n);
    };
    std::string text = "H键显示帮助\n  ";
    for (int c = 0; c < width; ++c) {
        text += label(c);
    }
    text += "\n";
    for (std::size_t r = 0; r < rows.size(); ++r) {
        text += label(static_cast<int>(r)) + rows[r] + "\n";
    }
    text += "已经走过的步数:\t" + std::to_string(steps) + "\n";
    if (trapped) {
        text += "你好像已经困住了！\n";
    }
    return clear() + gbk(text);
}

std::string levelText(const std::vector<std::string>& map) {
    std::string text;
    for (const std::string& line : map) {
        text += line + "\n";
    }
    return text;
}

std::string mapFrame(const std::vector<std::string>& map, int steps, bool trapped) {
    std::vector<std::string> rows;
    for (const std::string& line : map) {
        std::string row;
        for (const char c : line) {
            switch (c) {
            case '#':
                row += "▓";
                break;
            case ' ':
                row += "□";
                break;
            case '$':
                row += "●";
                break;
            case '.':
                row += "▼";
                break;
            case '*':
                row += "○";
                break;
            default:
                row += "♀";
                break;
            }
        }
        rows.push_back(row);
    }
    return frame(rows, static_cast<int>(map.empty() ? 0 : map[0].size()), steps, trapped);
}

} // namespace goalbox::test
