// Output encoding: the GBK table, UTF-8 handling, the column escapes for UTF-8 terminals and
// the converting stream buffer.
#include "platform/TextEncoding.h"

#include <cstdio>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/EncodingStreamBuf.h"
#include "platform/GbkTable.h"
#include "tests/platform/GbkText.h"

#if __has_include(<iconv.h>)
#include <iconv.h>
#define GOALBOX_HAVE_ICONV 1
#endif

namespace goalbox::platform {
namespace {

using test::unmappedCharacters;
using test::utf8ToGbk;

// Code points as "U+XXXX" words, so a failure names the characters.
std::string describe(const std::u32string& characters) {
    std::string text;
    for (char32_t c : characters) {
        char word[16];
        std::snprintf(word, sizeof word, "U+%04X ", static_cast<unsigned>(c));
        text += word;
    }
    return text;
}

std::string encodeAll(OutputEncoding encoding, std::string_view text) {
    TextEncoder encoder(encoding);
    std::string out;
    encoder.encode(text, out);
    encoder.finish(out);
    return out;
}

TEST(GbkTable, SymbolsPlayerAndArrowsHaveTheirFixedBytes) {
    EXPECT_EQ(utf8ToGbk("　▓●□○▼"), "\xA1\xA1\xA8\x88\xA1\xF1\xA1\xF5\xA1\xF0\xA8\x8B");
    EXPECT_EQ(utf8ToGbk("♀"), "\xA1\xE2");
    EXPECT_EQ(utf8ToGbk("→↓↑←"), "\xA1\xFA\xA1\xFD\xA1\xFC\xA1\xFB");
    EXPECT_EQ(utf8ToGbk("载入成功:-)\n"), "\xD4\xD8\xC8\xEB\xB3\xC9\xB9\xA6:-)\n");
}

TEST(GbkTable, ReportsCharactersWithoutCode) {
    // U+AC00 (a Korean syllable) and U+1F600 (an emoji) have no GBK code; each is named once.
    EXPECT_EQ(describe(unmappedCharacters("a\xEA\xB0\x80□\xF0\x9F\x98\x80\xEA\xB0\x80")),
              "U+AC00 U+1F600 ");
    EXPECT_EQ(describe(unmappedCharacters("ok\xFF")), "U+FFFD ");
    EXPECT_EQ(describe(unmappedCharacters("\xE2\x96")), "U+FFFD ");
    EXPECT_EQ(gbkCode(U'A'), 0);
}

#ifdef GOALBOX_HAVE_ICONV
// One character in UTF-8, written out here so the check does not lean on the encoder.
std::string toUtf8(char32_t c) {
    std::string s;
    if (c < 0x80) {
        s += static_cast<char>(c);
    } else if (c < 0x800) {
        s += static_cast<char>(0xC0 | (c >> 6));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        s += static_cast<char>(0xE0 | (c >> 12));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
    return s;
}

// Runs glibc's converter over one text; "" when it refuses.
std::string iconvConvert(iconv_t converter, const std::string& text) {
    std::string in = text;
    std::string out(text.size() * 4 + 8, '\0');
    char* inPtr         = in.data();
    char* outPtr        = out.data();
    std::size_t inLeft  = in.size();
    std::size_t outLeft = out.size();
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    if (iconv(converter, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) {
        return "";
    }
    out.resize(out.size() - outLeft);
    return out;
}
#endif

TEST(GbkTable, AgreesWithIconvOnEveryEntry) {
#ifdef GOALBOX_HAVE_ICONV
    iconv_t toGbk   = iconv_open("GBK", "UTF-8");
    iconv_t fromGbk = iconv_open("UTF-8", "GBK");
    ASSERT_NE(toGbk, reinterpret_cast<iconv_t>(-1));
    ASSERT_NE(fromGbk, reinterpret_cast<iconv_t>(-1));
    ASSERT_GT(gbkTable().size(), 4000u); // GB2312 level 1 alone has 3755
    int mismatches = 0;
    for (const GbkEntry& entry : gbkTable()) {
        const std::u32string one(1, entry.character);
        const std::string utf8 = toUtf8(entry.character);
        const std::string gbk  = {static_cast<char>(entry.code >> 8),
                                  static_cast<char>(entry.code & 0xFF)};
        if (iconvConvert(toGbk, utf8) != gbk || iconvConvert(fromGbk, gbk) != utf8 ||
            utf8ToGbk(utf8) != gbk) {
            ++mismatches;
            ADD_FAILURE() << describe(one) << " code " << std::hex << entry.code;
        }
    }
    EXPECT_EQ(mismatches, 0);
    iconv_close(toGbk);
    iconv_close(fromGbk);
#else
    GTEST_SKIP() << "no iconv on this system";
#endif
}

TEST(Utf8, InvalidBytesBecomeQuestionMarks) {
    for (OutputEncoding encoding : {ENCODING_GBK, ENCODING_UTF8}) {
        EXPECT_EQ(encodeAll(encoding, "a\xFF"
                                      "b"),
                  "a?b");
        EXPECT_EQ(encodeAll(encoding, "\xC0\x80"), "??");           // overlong NUL
        EXPECT_EQ(encodeAll(encoding, "\xED\xA0\x80"), "???");      // surrogate
        EXPECT_EQ(encodeAll(encoding, "\xF4\x90\x80\x80"), "????"); // past U+10FFFF
        EXPECT_EQ(encodeAll(encoding, "\xE2\x96"
                                      "x"),
                  "?x");                                 // cut off by ASCII
        EXPECT_EQ(encodeAll(encoding, "\xE2\x96"), "?"); // cut off by the end
    }
    EXPECT_EQ(encodeAll(ENCODING_UTF8, "\xE2\x96\xE2\x96\x93"), "?▓"); // restarts at E2
    EXPECT_EQ(encodeAll(ENCODING_GBK, "\xE2\x96\xE2\x96\x93"), "?\xA8\x88");
}

TEST(Utf8, CharacterWithoutGbkCodeIsOneQuestionMark) {
    EXPECT_EQ(utf8ToGbk("x\xF0\x9F\x98\x80y\xEA\xB0\x80"), "x?y?");
    EXPECT_EQ(encodeAll(ENCODING_UTF8, "x\xF0\x9F\x98\x80y"), "x\xF0\x9F\x98\x80y");
}

TEST(Utf8, SplitAtAnyByteGivesTheSameBytes) {
    const std::string text = "00▓□♀\t路径长度:12→↓\n";
    for (OutputEncoding encoding : {ENCODING_GBK, ENCODING_UTF8, ENCODING_UTF8_ALIGNED}) {
        const std::string whole = encodeAll(encoding, text);
        for (std::size_t cut = 0; cut <= text.size(); ++cut) {
            TextEncoder encoder(encoding);
            std::string out;
            encoder.encode(std::string_view(text).substr(0, cut), out);
            encoder.encode(std::string_view(text).substr(cut), out);
            encoder.finish(out);
            EXPECT_EQ(out, whole) << "cut at " << cut << ", encoding " << int(encoding);
        }
    }
}

TEST(ChooseEncoding, FollowsCodesetAndTerminal) {
    struct Case {
        std::string_view codeset;
        bool terminal;
        OutputEncoding expected;
    };
    const Case cases[] = {
        {"GBK", true, ENCODING_GBK},
        {"GB18030", false, ENCODING_GBK},
        {"gb2312", true, ENCODING_GBK},
        {"CP936", false, ENCODING_GBK},
        {"UTF-8", true, ENCODING_UTF8_ALIGNED},
        {"utf8", false, ENCODING_UTF8},
        {"ANSI_X3.4-1968", true, ENCODING_UTF8_ALIGNED},
        {"ANSI_X3.4-1968", false, ENCODING_GBK},
        {"", false, ENCODING_GBK},
        {"ISO-8859-1", true, ENCODING_UTF8_ALIGNED},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(chooseEncoding(c.codeset, c.terminal), c.expected)
            << c.codeset << " terminal " << c.terminal;
    }
}

// Each wide character is followed by a move to its end column; tabs, carriage returns,
// backspaces and escape sequences move the column as a terminal does.
TEST(Alignment, WideCharactersMoveToTheirEndColumn) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        // A board row as the display writes it: two label digits, then one symbol per cell.
        {"00▓□●♀▼\n01　", "00▓\x1b[5G□\x1b[7G●\x1b[9G♀\x1b[11G▼\x1b[13G\n01　\x1b[5G"},
        // "已经走过的步数:" is 7 wide characters and a colon: column 15, the tab goes to 16.
        {"已经:\t12→", "已\x1b[3G经\x1b[5G:\t12→\x1b[13G"},
        {"已经走过的步数:\t1→",
         "已\x1b[3G经\x1b[5G走\x1b[7G过\x1b[9G的\x1b[11G步\x1b[13G数\x1b[15G:\t1→\x1b[20G"},
        {"abcdefgh\t→", "abcdefgh\t→\x1b[19G"},
        {"abc\r→x\b\b←", "abc\r→\x1b[3Gx\b\b←\x1b[4G"},
        // Escape sequences take no columns; cursor moves set the column.
        {"abc\x1b[H\x1b[2J\x1b[3J□", "abc\x1b[H\x1b[2J\x1b[3J□\x1b[3G"},
        {"\x1b[31mab\x1b[0m□", "\x1b[31mab\x1b[0m□\x1b[5G"},
        {"\x1b[2;10H□", "\x1b[2;10H□\x1b[12G"},
        {"xyz\x1b[7G□", "xyz\x1b[7G□\x1b[9G"},
        {"\x1b"
         "7ab□",
         "\x1b"
         "7ab□\x1b[5G"},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(encodeAll(ENCODING_UTF8_ALIGNED, text), expected);
    }
    // A GBK console needs no escapes: the bytes alone take two columns.
    EXPECT_EQ(encodeAll(ENCODING_GBK, "00▓\n"), "00\xA8\x88\n");
    EXPECT_EQ(encodeAll(ENCODING_UTF8, "00▓\n"), "00▓\n");
}

TEST(Alignment, OutputsToOneTerminalShareTheColumn) {
    ConsoleColumn column;
    TextEncoder out(ENCODING_UTF8_ALIGNED, &column);
    TextEncoder err(ENCODING_UTF8_ALIGNED, &column);
    std::string outBytes;
    std::string errBytes;
    out.encode("ab", outBytes);
    err.encode("□", errBytes);
    EXPECT_EQ(errBytes, "□\x1b[5G");
    EXPECT_EQ(out.column(), 4);
    column.value = 0; // as after the terminal echoed a typed line
    out.encode("→", outBytes);
    EXPECT_EQ(outBytes, "ab→\x1b[3G");
}

// A GBK stream buffer whose sink records each piece it is handed.
class EncodingStreamBufTest : public ::testing::Test {
  protected:
    std::string all() const {
        std::string joined;
        for (const std::string& piece : writes) {
            joined += piece;
        }
        return joined;
    }

    std::vector<std::string> writes;
    EncodingStreamBuf buffer{ENCODING_GBK, nullptr,
                             [this](std::string_view bytes) { writes.emplace_back(bytes); }};
    std::ostream out{&buffer};
};

TEST_F(EncodingStreamBufTest, HandsOverOnlyWhenFlushedInOnePiece) {
    // A clear and a frame of many small writes, larger than the put area.
    out << "\x1b[H\x1b[2J\x1b[3J";
    std::string frame = "H键显示帮助\n";
    out << "H键显示帮助\n";
    for (int row = 0; row < 400; ++row) {
        const std::string line = "▓□●" + std::to_string(row) + '\n';
        out << line;
        frame += line;
    }
    EXPECT_TRUE(writes.empty());
    out << std::flush;
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0], "\x1b[H\x1b[2J\x1b[3J" + utf8ToGbk(frame));
    out << std::flush; // nothing new: no empty write
    EXPECT_EQ(writes.size(), 1u);
}

TEST_F(EncodingStreamBufTest, CharacterSplitAcrossFlushesWaitsForItsLastByte) {
    out << "a\xE2\x96" << std::flush;
    out << "\x93" << std::flush;
    out << "\xE2";
    buffer.finish();
    EXPECT_EQ(all(), "a\xA8\x88?");
}

TEST_F(EncodingStreamBufTest, VeryLongLineArrivesWhole) {
    std::string line;
    for (int i = 0; i < 600000; ++i) {
        line += (i % 3 == 0) ? "□" : "x";
    }
    out << line; // one large write
    for (char c : line) {
        out.put(c); // and byte by byte
    }
    out << std::flush;
    EXPECT_GE(writes.size(), 2u); // the pile-up went out before the flush
    EXPECT_EQ(all(), utf8ToGbk(line) + utf8ToGbk(line));
}

// Bug: a route longer than the terminal's width piled its arrows up in the last column, since
// the cursor cannot be moved past the right edge. Wide characters now wrap as on a GBK console.
TEST(Alignment, WideCharactersWrapAtTheTerminalsRightEdge) {
    ConsoleColumn column;
    column.width = 7;
    TextEncoder encoder(ENCODING_UTF8_ALIGNED, &column);
    std::string bytes;
    // "ab" and two arrows fill 6 columns; the third arrow does not fit into the last one.
    encoder.encode("ab→→→", bytes);
    EXPECT_EQ(bytes, "ab→\x1b[5G→\x1b[7G\r\n→\x1b[3G");
    // Ending exactly at the edge: the next character, wide or not, starts a new line, while a
    // line break of the text's own adds no second one.
    bytes.clear();
    encoder.encode("\nx→→→→\nx→→→\n", bytes);
    EXPECT_EQ(bytes, "\nx→\x1b[4G→\x1b[6G→\r\n→\x1b[3G\nx→\x1b[4G→\x1b[6G→\n");
    bytes.clear();
    encoder.encode("abcdef→", bytes);
    EXPECT_EQ(bytes, "abcdef\r\n→\x1b[3G");
    // Plain text past the edge is wrapped by the terminal itself.
    bytes.clear();
    column.value = 0;
    encoder.encode("abcdefgh→", bytes);
    EXPECT_EQ(bytes, "abcdefgh→\x1b[4G");
}

} // namespace
} // namespace goalbox::platform
