#ifndef PLATFORM_TEXTENCODING_H
#define PLATFORM_TEXTENCODING_H

#include <cstdint>
#include <string>
#include <string_view>

namespace goalbox::platform {

// How the program's UTF-8 text leaves it on one output.
enum OutputEncoding : std::uint8_t {
    // Two GBK bytes per character, as a GBK console shows them; '?' for a character that
    // the table lacks.
    ENCODING_GBK,
    // UTF-8 as written.
    ENCODING_UTF8,
    // UTF-8 for a terminal: every non-ASCII character is followed by ESC [ n G, which puts
    // the cursor where a GBK console would have it (see TextEncoder).
    ENCODING_UTF8_ALIGNED,
};

// The encoding of one output, from the locale's character set name (as nl_langinfo(CODESET)
// gives it; empty when unknown) and whether that output is a terminal. GBK, GB18030, GB2312
// and CP936 give GBK; UTF-8 gives UTF-8; anything else gives UTF-8 on a terminal and GBK
// otherwise. UTF-8 on a terminal is always the aligned kind.
OutputEncoding chooseEncoding(std::string_view codeset, bool isTerminal);

// Reads UTF-8 one byte at a time, so a character may be split across writes. Overlong forms,
// surrogates and values past U+10FFFF are invalid.
class Utf8Reader {
  public:
    enum Step : std::uint8_t {
        UTF8_MORE,    // the byte began or continued a character
        UTF8_CHAR,    // the byte completed a character (every ASCII byte does)
        UTF8_INVALID, // the byte cannot start a character: one '?'
        UTF8_BROKEN,  // the byte cut off an unfinished character: one '?' for that, then put
                      // the same byte again
    };
    Step put(unsigned char byte, char32_t& character);
    // True while a character has begun but is not complete.
    bool isPending() const { return remaining_ != 0; }
    void reset() { remaining_ = 0; }

  private:
    char32_t value_        = 0;
    int remaining_         = 0;
    unsigned char lowest_  = 0x80;
    unsigned char highest_ = 0xBF;
};

// The console column of the cursor, 0 being the first. Outputs that reach the same terminal
// share one. width is the terminal's width in columns (0 when unknown); wrapPending is set when
// a wide character ended exactly at the right edge, so the next character starts a new line.
struct ConsoleColumn {
    int value        = 0;
    int width        = 0;
    bool wrapPending = false;
};

// Turns the program's UTF-8 text into one output's encoding, piece by piece.
//
// The aligned UTF-8 kind counts columns as a GBK console does: ASCII 1, any other character
// 2, a tab to the next multiple of 8, line feed and carriage return back to 0, escape
// sequences 0 (ESC [ H and ESC [ row ; col H home the cursor, ESC [ n G moves it to column
// n). After each non-ASCII character it writes ESC [ n G with n the 1-based column that
// follows the character, because terminals draw symbols such as the wall one or two columns
// wide depending on their settings. When the terminal's width is known, a wide character that
// would cross the right edge starts a new line instead, as on a GBK console, so a long line
// (a solver's route) wraps instead of piling up in the last column.
class TextEncoder {
  public:
    // `column` is shared with other outputs to the same terminal; null means one of its own.
    explicit TextEncoder(OutputEncoding encoding, ConsoleColumn* column = nullptr);
    TextEncoder(const TextEncoder&)            = delete;
    TextEncoder& operator=(const TextEncoder&) = delete;

    // Appends the converted text to `out`. An unfinished character waits for the next call.
    void encode(std::string_view text, std::string& out);
    // Ends the text: an unfinished character becomes '?'.
    void finish(std::string& out);

    OutputEncoding encoding() const { return encoding_; }
    int column() const { return column_->value; }

  private:
    enum EscapeState : std::uint8_t { ESCAPE_NONE, ESCAPE_START, ESCAPE_CSI };

    void putAscii(char byte, std::string& out);
    void putCharacter(char32_t character, std::string& out);
    void putInvalid(std::string& out);
    void breakPendingLine(std::string& out);
    void endCsi(char finalByte);

    OutputEncoding encoding_;
    ConsoleColumn ownColumn_;
    ConsoleColumn* column_;
    Utf8Reader reader_;
    EscapeState escape_ = ESCAPE_NONE;
    std::string csiParameters_;
};

} // namespace goalbox::platform

#endif
