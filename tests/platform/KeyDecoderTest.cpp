// Standard input bytes to key codes and lines, without a terminal.
#include "platform/KeyDecoder.h"

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "platform/Console.h"

namespace goalbox::platform {
namespace {

constexpr int UP    = 72;
constexpr int DOWN  = 80;
constexpr int LEFT  = 75;
constexpr int RIGHT = 77;
constexpr int ARROW = 224;
constexpr int ENTER = 13;
constexpr int ESC   = 27;

// Feeds the chunks one at a time as reads would deliver them, taking every key the decoder
// gives after each; then ends the input and takes the rest. The input must end cleanly.
std::vector<int> decodeKeys(std::initializer_list<std::string_view> chunks) {
    KeyDecoder decoder;
    std::vector<int> keys;
    int key = 0;
    for (std::string_view chunk : chunks) {
        decoder.feed(chunk);
        while (decoder.nextKey(key) == DECODE_READY) {
            keys.push_back(key);
        }
    }
    decoder.markEnd();
    while (decoder.nextKey(key) == DECODE_READY) {
        keys.push_back(key);
    }
    EXPECT_EQ(decoder.nextKey(key), DECODE_END);
    EXPECT_EQ(key, KEY_END);
    return keys;
}

using Keys = std::vector<int>;

TEST(KeyDecoder, ArrowsInBothForms) {
    EXPECT_EQ(decodeKeys({"\x1b[A\x1b[B\x1b[C\x1b[D"}),
              (Keys{ARROW, UP, ARROW, DOWN, ARROW, RIGHT, ARROW, LEFT}));
    EXPECT_EQ(decodeKeys({"\x1bOA\x1bOB\x1bOC\x1bOD"}),
              (Keys{ARROW, UP, ARROW, DOWN, ARROW, RIGHT, ARROW, LEFT}));
    // With modifiers (Ctrl, Shift) the parameters are skipped.
    EXPECT_EQ(decodeKeys({"\x1b[1;5C\x1b[1;2A\x1bO5D"}),
              (Keys{ARROW, RIGHT, ARROW, UP, ARROW, LEFT}));
}

TEST(KeyDecoder, OtherEscapeSequencesAreDropped) {
    // Insert, F5 with Shift, F1, a focus report; the keys around them stay.
    EXPECT_EQ(decodeKeys({"a\x1b[2~b\x1b[15;2~c\x1bOPd\x1b[Ie"}), (Keys{'a', 'b', 'c', 'd', 'e'}));
    // A control byte cuts an unfinished sequence off and is read as a key itself.
    EXPECT_EQ(decodeKeys({"\x1b[1\rx"}), (Keys{ENTER, 'x'}));
    // An unfinished sequence at the end of input is dropped.
    EXPECT_EQ(decodeKeys({"q\x1b[1;"}), (Keys{'q'}));
}

TEST(KeyDecoder, LoneEscape) {
    EXPECT_EQ(decodeKeys({"q\x1b"}), (Keys{'q', ESC}));
    EXPECT_EQ(decodeKeys({"\x1bx"}), (Keys{ESC, 'x'}));
    EXPECT_EQ(decodeKeys({"\x1b\x1b[A"}), (Keys{ESC, ARROW, UP}));
    EXPECT_EQ(decodeKeys({"\x1b", "h"}), (Keys{ESC, 'h'}));

    // Before the input ends a lone ESC waits; a flush (the terminal's wait ran out) decides.
    KeyDecoder decoder;
    int key = 0;
    decoder.feed("\x1b");
    EXPECT_EQ(decoder.nextKey(key), DECODE_INCOMPLETE);
    EXPECT_EQ(decoder.nextKey(key, true), DECODE_READY);
    EXPECT_EQ(key, ESC);
    EXPECT_EQ(decoder.nextKey(key), DECODE_NEED_BYTES);
}

TEST(KeyDecoder, SequenceSplitAcrossReads) {
    EXPECT_EQ(decodeKeys({"\x1b", "[", "1;5", "C", "\x1bO", "B"}),
              (Keys{ARROW, RIGHT, ARROW, DOWN}));

    KeyDecoder decoder;
    int key = 0;
    decoder.feed("\x1b[1");
    EXPECT_EQ(decoder.nextKey(key), DECODE_INCOMPLETE);
    decoder.feed(";5");
    EXPECT_EQ(decoder.nextKey(key), DECODE_INCOMPLETE);
    decoder.feed("Dz");
    ASSERT_EQ(decoder.nextKey(key), DECODE_READY);
    EXPECT_EQ(key, ARROW);
    ASSERT_EQ(decoder.nextKey(key), DECODE_READY);
    EXPECT_EQ(key, LEFT);
    ASSERT_EQ(decoder.nextKey(key), DECODE_READY);
    EXPECT_EQ(key, 'z');

    // A sequence whose rest never came is dropped at the flush; later keys are unaffected.
    decoder.feed("\x1b[");
    EXPECT_EQ(decoder.nextKey(key), DECODE_INCOMPLETE);
    EXPECT_EQ(decoder.nextKey(key, true), DECODE_NEED_BYTES);
    decoder.feed("5");
    ASSERT_EQ(decoder.nextKey(key), DECODE_READY);
    EXPECT_EQ(key, '5');
}

TEST(KeyDecoder, LineBreaksAreEnter) {
    EXPECT_EQ(decodeKeys({"a\rb\nc\r\nd"}), (Keys{'a', ENTER, 'b', ENTER, 'c', ENTER, 'd'}));
    EXPECT_EQ(decodeKeys({"\r\r\n\n\r"}), (Keys{ENTER, ENTER, ENTER, ENTER}));
    // The LF of a CR LF may come in the next read; it is still part of the same Enter.
    EXPECT_EQ(decodeKeys({"\r", "\nx"}), (Keys{ENTER, 'x'}));
    EXPECT_EQ(decodeKeys({"\r", "x\n"}), (Keys{ENTER, 'x', ENTER}));
}

TEST(KeyDecoder, RawArrowCodesPassThrough) {
    EXPECT_EQ(decodeKeys({"\xe0H\xe0P\xe0K\xe0M"}),
              (Keys{ARROW, UP, ARROW, DOWN, ARROW, LEFT, ARROW, RIGHT}));
    EXPECT_EQ(decodeKeys({"\xe0", "H", "\x00H"}), (Keys{ARROW, 'H'}));
    EXPECT_EQ(decodeKeys({std::string_view("\x00H\xc3\xa9", 4)}), (Keys{0, 'H', 0xC3, 0xA9}));
}

TEST(KeyDecoder, ManyKeysInOneRead) {
    EXPECT_EQ(decodeKeys({"12,5\r\x1b[Cs\x1b[1;5Dqy"}),
              (Keys{'1', '2', ',', '5', ENTER, ARROW, RIGHT, 's', ARROW, LEFT, 'q', 'y'}));
}

TEST(KeyDecoder, EndOfInputIsForever) {
    KeyDecoder decoder;
    int key = 0;
    EXPECT_EQ(decoder.nextKey(key), DECODE_NEED_BYTES);
    decoder.markEnd();
    for (int call = 0; call < 3; ++call) {
        key = 0;
        EXPECT_EQ(decoder.nextKey(key), DECODE_END);
        EXPECT_EQ(key, KEY_END);
    }
    std::string line = "kept";
    EXPECT_EQ(decoder.nextLine(line), DECODE_END);
}

// The level line and the keys come from one stream: `printf 'x1\n\e[C\e[Cq' | goalbox`.
TEST(KeyDecoder, ScriptMixesKeysAndTheLevelLine) {
    KeyDecoder decoder;
    int key = 0;
    std::string line;
    decoder.feed("x1\n\x1b[C\x1b[Cq");
    decoder.markEnd();
    ASSERT_EQ(decoder.nextKey(key), DECODE_READY);
    EXPECT_EQ(key, 'x');
    ASSERT_EQ(decoder.nextLine(line), DECODE_READY);
    EXPECT_EQ(line, "1");
    Keys rest;
    while (decoder.nextKey(key) == DECODE_READY) {
        rest.push_back(key);
    }
    EXPECT_EQ(rest, (Keys{ARROW, RIGHT, ARROW, RIGHT, 'q'}));
}

TEST(KeyDecoder, LinesDropTheirBreakAndKeepSpaces) {
    KeyDecoder decoder;
    std::string line;
    decoder.feed(" quit \r\nlevel 2\n\nab\rc");
    ASSERT_EQ(decoder.nextLine(line), DECODE_READY);
    EXPECT_EQ(line, " quit ");
    ASSERT_EQ(decoder.nextLine(line), DECODE_READY);
    EXPECT_EQ(line, "level 2");
    ASSERT_EQ(decoder.nextLine(line), DECODE_READY);
    EXPECT_EQ(line, "");
    ASSERT_EQ(decoder.nextLine(line), DECODE_READY);
    EXPECT_EQ(line, "ab");
    // No line break yet: wait for more, then the end of input makes the rest a line.
    EXPECT_EQ(decoder.nextLine(line), DECODE_NEED_BYTES);
    decoder.feed("de");
    EXPECT_EQ(decoder.nextLine(line), DECODE_NEED_BYTES);
    decoder.markEnd();
    ASSERT_EQ(decoder.nextLine(line), DECODE_READY);
    EXPECT_EQ(line, "cde");
    EXPECT_EQ(decoder.nextLine(line), DECODE_END);
}

TEST(KeyDecoder, LineAfterEnterKeySkipsTheLateLineFeed) {
    KeyDecoder decoder;
    int key = 0;
    std::string line;
    decoder.feed("\r");
    ASSERT_EQ(decoder.nextKey(key), DECODE_READY);
    EXPECT_EQ(key, ENTER);
    decoder.feed("\nlevel1\r");
    ASSERT_EQ(decoder.nextLine(line), DECODE_READY);
    EXPECT_EQ(line, "level1");
    decoder.feed("\nq");
    ASSERT_EQ(decoder.nextKey(key), DECODE_READY);
    EXPECT_EQ(key, 'q');
}

TEST(KeyDecoder, LineReadDropsAWaitingArrowCode) {
    KeyDecoder decoder;
    int key = 0;
    std::string line;
    decoder.feed("\x1b[Aname\nk");
    ASSERT_EQ(decoder.nextKey(key), DECODE_READY);
    EXPECT_EQ(key, ARROW);
    ASSERT_EQ(decoder.nextLine(line), DECODE_READY);
    EXPECT_EQ(line, "name");
    ASSERT_EQ(decoder.nextKey(key), DECODE_READY);
    EXPECT_EQ(key, 'k');
}

} // namespace
} // namespace goalbox::platform
