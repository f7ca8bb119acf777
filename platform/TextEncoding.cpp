// UTF-8 to the console's encoding, and the column bookkeeping for UTF-8 terminals.
#include "platform/TextEncoding.h"

#include <algorithm>
#include <cctype>

#include "platform/GbkTable.h"

namespace goalbox::platform {
namespace {

constexpr char ESC                   = '\x1b';
constexpr int TAB_WIDTH              = 8;
constexpr int WIDE_COLUMNS           = 2;
constexpr std::size_t MAX_CSI_LENGTH = 32;
constexpr int MAX_CSI_NUMBER         = 100000;

// Upper case without '-' and '_', so that "UTF-8", "utf8" and "UTF_8" compare equal.
std::string normalizedCodeset(std::string_view codeset) {
    std::string name;
    for (char c : codeset) {
        if (c != '-' && c != '_') {
            name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
    }
    return name;
}

bool isGbkCodeset(const std::string& name) {
    return name == "GBK" || name == "GB18030" || name == "GB2312" || name == "EUCCN" ||
           name == "CP936" || name == "MS936" || name == "WINDOWS936";
}

// The `index`-th number of a CSI parameter list such as "12;5"; 1 when missing or empty.
int csiNumber(std::string_view parameters, int index) {
    for (int skip = 0; skip < index; ++skip) {
        const std::size_t semicolon = parameters.find(';');
        if (semicolon == std::string_view::npos) {
            return 1;
        }
        parameters.remove_prefix(semicolon + 1);
    }
    int value     = 0;
    bool anyDigit = false;
    for (char c : parameters) {
        if (c < '0' || c > '9') {
            break;
        }
        anyDigit = true;
        value    = std::min(value * 10 + (c - '0'), MAX_CSI_NUMBER);
    }
    return anyDigit && value > 0 ? value : 1;
}

void appendUtf8(char32_t character, std::string& out) {
    if (character < 0x800) {
        out += static_cast<char>(0xC0 | (character >> 6));
    } else if (character < 0x10000) {
        out += static_cast<char>(0xE0 | (character >> 12));
        out += static_cast<char>(0x80 | ((character >> 6) & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (character >> 18));
        out += static_cast<char>(0x80 | ((character >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((character >> 6) & 0x3F));
    }
    out += static_cast<char>(0x80 | (character & 0x3F));
}

} // namespace

OutputEncoding chooseEncoding(std::string_view codeset, bool isTerminal) {
    const std::string name = normalizedCodeset(codeset);
    if (isGbkCodeset(name)) {
        return ENCODING_GBK;
    }
    if (name == "UTF8") {
        return isTerminal ? ENCODING_UTF8_ALIGNED : ENCODING_UTF8;
    }
    return isTerminal ? ENCODING_UTF8_ALIGNED : ENCODING_GBK;
}

Utf8Reader::Step Utf8Reader::put(unsigned char byte, char32_t& character) {
    if (remaining_ != 0) {
        if (byte < lowest_ || byte > highest_) {
            remaining_ = 0;
            return UTF8_BROKEN;
        }
        value_   = (value_ << 6) | (byte & 0x3Fu);
        lowest_  = 0x80;
        highest_ = 0xBF;
        if (--remaining_ != 0) {
            return UTF8_MORE;
        }
        character = value_;
        return UTF8_CHAR;
    }
    if (byte < 0x80) {
        character = byte;
        return UTF8_CHAR;
    }
    // The second byte's range excludes overlong forms (E0, F0), surrogates (ED) and values
    // past U+10FFFF (F4).
    lowest_  = 0x80;
    highest_ = 0xBF;
    if (byte >= 0xC2 && byte <= 0xDF) {
        value_     = byte & 0x1Fu;
        remaining_ = 1;
    } else if (byte >= 0xE0 && byte <= 0xEF) {
        value_     = byte & 0x0Fu;
        remaining_ = 2;
        lowest_    = byte == 0xE0 ? 0xA0 : 0x80;
        highest_   = byte == 0xED ? 0x9F : 0xBF;
    } else if (byte >= 0xF0 && byte <= 0xF4) {
        value_     = byte & 0x07u;
        remaining_ = 3;
        lowest_    = byte == 0xF0 ? 0x90 : 0x80;
        highest_   = byte == 0xF4 ? 0x8F : 0xBF;
    } else {
        return UTF8_INVALID;
    }
    return UTF8_MORE;
}

TextEncoder::TextEncoder(OutputEncoding encoding, ConsoleColumn* column)
    : encoding_(encoding), column_(column != nullptr ? column : &ownColumn_) {}

void TextEncoder::encode(std::string_view text, std::string& out) {
    for (char byte : text) {
        const auto value      = static_cast<unsigned char>(byte);
        char32_t character    = 0;
        Utf8Reader::Step step = reader_.put(value, character);
        if (step == Utf8Reader::UTF8_BROKEN) {
            putInvalid(out);
            step = reader_.put(value, character);
        }
        if (step == Utf8Reader::UTF8_INVALID) {
            putInvalid(out);
        } else if (step == Utf8Reader::UTF8_CHAR) {
            if (character < 0x80) {
                putAscii(byte, out);
            } else {
                putCharacter(character, out);
            }
        }
    }
}

void TextEncoder::finish(std::string& out) {
    if (reader_.isPending()) {
        reader_.reset();
        putInvalid(out);
    }
}

void TextEncoder::putInvalid(std::string& out) {
    putAscii('?', out);
}

void TextEncoder::putAscii(char byte, std::string& out) {
    if (escape_ == ESCAPE_NONE && byte >= 0x20 && byte < 0x7F) {
        breakPendingLine(out);
    }
    out += byte;
    // 1. Inside an escape sequence: no width; a CSI's final byte may move the cursor.
    if (escape_ == ESCAPE_START && byte >= 0x20) {
        escape_ = byte == '[' ? ESCAPE_CSI : ESCAPE_NONE;
        csiParameters_.clear();
        return;
    }
    if (escape_ == ESCAPE_CSI) {
        if (byte >= 0x40 && byte <= 0x7E) {
            endCsi(byte);
            escape_ = ESCAPE_NONE;
            return;
        }
        if (byte >= 0x20 && byte <= 0x3F) {
            if (csiParameters_.size() < MAX_CSI_LENGTH) {
                csiParameters_ += byte;
            }
            return;
        }
    }
    escape_ = ESCAPE_NONE; // plain text, or a control byte that broke off a sequence
    // 2. Plain text.
    int& column = column_->value;
    if (byte == ESC) {
        escape_ = ESCAPE_START;
    } else if (byte == '\n' || byte == '\r') {
        column               = 0;
        column_->wrapPending = false;
    } else if (byte == '\t') {
        column = (column / TAB_WIDTH + 1) * TAB_WIDTH;
        if (column_->width > 0) {
            column = std::min(column, column_->width - 1);
        }
    } else if (byte == '\b') {
        column = std::max(column - 1, 0);
    } else if (byte >= 0x20 && byte < 0x7F) {
        // The terminal itself wraps a character written past its last column.
        if (column_->width > 0 && column >= column_->width) {
            column = 0;
        }
        ++column;
    }
}

void TextEncoder::breakPendingLine(std::string& out) {
    // The wide character before ended at the right edge, where the cursor cannot be placed
    // after it: start the new line by hand.
    if (column_->wrapPending) {
        out += "\r\n";
        column_->value       = 0;
        column_->wrapPending = false;
    }
}

void TextEncoder::endCsi(char finalByte) {
    if (finalByte == 'H' || finalByte == 'f') {
        column_->value       = csiNumber(csiParameters_, 1) - 1;
        column_->wrapPending = false;
    } else if (finalByte == 'G') {
        column_->value       = csiNumber(csiParameters_, 0) - 1;
        column_->wrapPending = false;
    }
}

void TextEncoder::putCharacter(char32_t character, std::string& out) {
    escape_ = ESCAPE_NONE;
    if (encoding_ == ENCODING_GBK) {
        const std::uint16_t code = gbkCode(character);
        if (code == 0) {
            putInvalid(out);
            return;
        }
        out += static_cast<char>(code >> 8);
        out += static_cast<char>(code & 0xFF);
        column_->value += WIDE_COLUMNS;
        return;
    }
    if (encoding_ != ENCODING_UTF8_ALIGNED) {
        appendUtf8(character, out);
        column_->value += WIDE_COLUMNS;
        return;
    }
    // A wide character that does not fit before the right edge goes to the next line whole.
    const int width = column_->width;
    breakPendingLine(out);
    if (width > 0 && column_->value + WIDE_COLUMNS > width) {
        out += "\r\n";
        column_->value = 0;
    }
    appendUtf8(character, out);
    column_->value += WIDE_COLUMNS;
    if (width > 0 && column_->value >= width) {
        column_->wrapPending = true;
        return;
    }
    out += ESC;
    out += '[';
    out += std::to_string(column_->value + 1);
    out += 'G';
}

} // namespace goalbox::platform
