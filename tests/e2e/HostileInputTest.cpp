// Long random key streams through a pipe: whatever arrives, the game ends by itself at the end
// of input, with exit code 0, within a time bound (and, in the sanitizer build, without a report,
// which would end it with another exit code).
#include "e2e/PipeSessionTest.h"

#include <random>

namespace goalbox::test {
namespace {

// Pieces a hostile or clumsy user could send, mixed with single random bytes.
std::string randomSession(std::mt19937& rng) {
    // clang-format off
    static const std::vector<std::string> pieces = {
        "\x1b[A", "\x1b[B", "\x1b[C", "\x1b[D", "\x1bOA", "\x1b[1;5C", "\x1b[", "\x1bO", "\x1b",
        "\xe0H", "\xe0P", "\xe0K", "\xe0M", "\xe0", "\r\n", "\n", "\r", "s", "S", "c\n", "c",
        "r", "h", "y", "12,3\n", "99999999999999999999,7\n", "0", "tiny\n", "blocked\n",
        "missing\n", "../ZIRK/tiny\n", "\n\n\n"};
    // clang-format on
    std::uniform_int_distribution<int> kind(0, 9);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<std::size_t> piece(0, pieces.size() - 1);
    std::string input = "x"
                        "tiny\n";
    const int length  = std::uniform_int_distribution<int>(50, 2000)(rng);
    for (int i = 0; i < length; ++i) {
        const int k = kind(rng);
        if (k < 4) {
            input += static_cast<char>(byte(rng));
        } else if (k < 9) {
            input += pieces[piece(rng)];
        } else if (std::uniform_int_distribution<int>(0, 40)(rng) == 0) {
            // Now and then a very long line, at the level prompt or anywhere else.
            input += std::string(70000, static_cast<char>('a' + byte(rng) % 26)) + "\n";
        }
    }
    return input;
}

class HostileInput : public PipeSession {};

TEST_F(HostileInput, RandomKeyStreamsAlwaysEndCleanly) {
    writeLevel("tiny", "#######\n#@ $ .#\n#  $ .#\n#######\n");
    writeLevel("blocked", "#####\n#@$ #\n#####\n");
    std::mt19937 rng(20261207);
    for (int session = 0; session < 100; ++session) {
        const std::string input = randomSession(rng);
        const ProcessResult r   = play(input, 60.0);
        ASSERT_FALSE(r.timedOut) << "session " << session;
        ASSERT_EQ(r.exitCode, 0) << "session " << session << "\n" << r.err;
    }
}

} // namespace
} // namespace goalbox::test
