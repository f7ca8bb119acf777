// Standard input bytes to key codes and lines, without a terminal.
#include "platform/KeyDecoder.h"

#include <algorithm>
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
std::vector<int> decodeKeys(const std::vector<std::string_view>& chunks) {
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

// Whole inputs, fed in the chunks given, and the keys they give.
TEST(KeyDecoder, ChunksGiveTheirKeys) {
    struct Case {
        std::vector<std::string_view> chunks;
        Keys keys;
    };
    const Case cases[] = {
        // Arrows in both forms; with modifiers (Ctrl, Shift) the parameters are skipped.
        {{"\x1b[A\x1b[B\x1b[C\x1b[D"}, {ARROW, UP, ARROW, DOWN, ARROW, RIGHT, ARROW, LEFT}},
        {{"\x1bOA\x1bOB\x1bOC\x1bOD"}, {ARROW, UP, ARROW, DOWN, ARROW, RIGHT, ARROW, LEFT}},
        {{"\x1b[1;5C\x1b[1;2A\x1bO5D"}, {ARROW, RIGHT, ARROW, UP, ARROW, LEFT}},
        // Other sequences (Insert, F5 with Shift, F1, a focus report) are dropped; a control
        // byte cuts an unfinished sequence off and is a key itself; an unfinished sequence at
        // the end of input is dropped.
        {{"a\x1b[2~b\x1b[15;2~c\x1bOPd\x1b[Ie"}, {'a', 'b', 'c', 'd', 'e'}},
        {{"\x1b[1\rx"}, {ENTER, 'x'}},
        {{"q\x1b[1;"}, {'q'}},
        // A lone ESC: at the end, before a plain key, before a sequence, alone in its read.
        {{"q\x1b"}, {'q', ESC}},
        {{"\x1bx"}, {ESC, 'x'}},
        {{"\x1b\x1b[A"}, {ESC, ARROW, UP}},
        {{"\x1b", "h"}, {ESC, 'h'}},
        // Sequences split across reads.
        {{"\x1b", "[", "1;5", "C", "\x1bO", "B"}, {ARROW, RIGHT, ARROW, DOWN}},
        // CR, LF and CR LF are each one Enter, also with the LF of a CR LF in the next read.
        {{"a\rb\nc\r\nd"}, {'a', ENTER, 'b', ENTER, 'c', ENTER, 'd'}},
        {{"\r\r\n\n\r"}, {ENTER, ENTER, ENTER, ENTER}},
        {{"\r", "\nx"}, {ENTER, 'x'}},
        {{"\r", "x\n"}, {ENTER, 'x', ENTER}},
        // Raw arrow codes (224 and a letter) pass through; other bytes are keys as they are.
        {{"\xe0H\xe0P\xe0K\xe0M"}, {ARROW, UP, ARROW, DOWN, ARROW, LEFT, ARROW, RIGHT}},
        {{"\xe0", "H", "\x00H"}, {ARROW, 'H'}},
        {{std::string_view("\x00H\xc3\xa9", 4)}, {0, 'H', 0xC3, 0xA9}},
        // Many keys in one read.
        {{"12,5\r\x1b[Cs\x1b[1;5Dqy"},
         {'1', '2', ',', '5', ENTER, ARROW, RIGHT, 's', ARROW, LEFT, 'q', 'y'}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(decodeKeys(c.chunks), c.keys) << "case " << &c - cases;
    }
}

TEST(KeyDecoder, LoneEscapeWaitsForTheFlush) {
    // Before the input ends a lone ESC waits; a flush (the terminal's wait ran out) decides.
    KeyDecoder decoder;
    int key = 0;
    decoder.feed("\x1b");
    EXPECT_EQ(decoder.nextKey(key), DECODE_INCOMPLETE);
    EXPECT_EQ(decoder.nextKey(key, true), DECODE_READY);
    EXPECT_EQ(key, ESC);
    EXPECT_EQ(decoder.nextKey(key), DECODE_NEED_BYTES);
}

// During a search only an Esc is taken out of what was typed: the keys read afterwards are the
// ones the whole input gives, less that first Esc.
TEST(KeyDecoder, EscapeTakenFromAmongOtherKeys) {
    const std::string_view inputs[] = {
        "ab\x1bxz",              // between plain keys
        "\x1b[C\x1b\x1b[D",      // between two arrows, which are no Esc
        "\x1b[1;5C\x1bOAx\x1by", // after sequences with parameters and in the O form
        "\x1b[2~q\x1b\x1b",      // after a dropped sequence; the second Esc stays
        "\x1b[1\x01\x1bz",       // after a sequence cut off by a control byte
        "\n\x1b\r\n",            // beside line breaks
        "\x1b[A\x1bOB",          // arrows alone: nothing to take
    };
    for (const std::string_view input : inputs) {
        SCOPED_TRACE(std::string(input));
        Keys expected        = decodeKeys({input});
        const auto escape    = std::find(expected.begin(), expected.end(), ESC);
        const bool hasEscape = escape != expected.end();
        if (hasEscape) {
            expected.erase(escape);
        }
        KeyDecoder decoder;
        decoder.feed(input);
        EXPECT_EQ(decoder.takeEscape(true), hasEscape ? DECODE_READY : DECODE_NEED_BYTES);
        decoder.markEnd();
        Keys rest;
        int key = 0;
        while (decoder.nextKey(key) == DECODE_READY) {
            rest.push_back(key);
        }
        EXPECT_EQ(rest, expected);
    }

    // An ESC at the end may still become an arrow: it waits for the flush, as a key read does.
    KeyDecoder decoder;
    decoder.feed("x\x1b");
    EXPECT_EQ(decoder.takeEscape(), DECODE_INCOMPLETE);
    decoder.feed("[A");
    EXPECT_EQ(decoder.takeEscape(), DECODE_NEED_BYTES);
    decoder.feed("\x1b");
    EXPECT_EQ(decoder.takeEscape(true), DECODE_READY);
    // A typed line keeps its bytes around the Esc taken from it.
    decoder.feed("ro\x1bom\n");
    EXPECT_EQ(decoder.takeEscape(), DECODE_READY);
    int key = 0;
    EXPECT_EQ(decoder.nextKey(key), DECODE_READY);
    EXPECT_EQ(key, 'x');
    EXPECT_EQ(decoder.nextKey(key), DECODE_READY);
    EXPECT_EQ(key, ARROW);
    std::string line;
    EXPECT_EQ(decoder.nextLine(line), DECODE_READY);
    EXPECT_EQ(line, "room");
}

TEST(KeyDecoder, SequenceSplitAcrossReads) {
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
