// Byte stream to key codes and typed lines.
#include "platform/KeyDecoder.h"

#include "platform/Console.h"

namespace goalbox::platform {
namespace {

constexpr unsigned char ESC    = 0x1B;
constexpr int KEY_ESCAPE       = 27;
constexpr int KEY_ENTER        = 13;
constexpr int KEY_ARROW_PREFIX = 224;

// The second code of an arrow for the final byte of its escape sequence, or -1.
int arrowCode(unsigned char finalByte) {
    switch (finalByte) {
    case 'A':
        return 72;
    case 'B':
        return 80;
    case 'C':
        return 77;
    case 'D':
        return 75;
    default:
        return -1;
    }
}

// Parameter and intermediate bytes of an escape sequence: digits, ';', and the rest of
// 0x20..0x3F.
bool isSequenceBody(unsigned char byte) {
    return byte >= 0x20 && byte <= 0x3F;
}
bool isSequenceFinal(unsigned char byte) {
    return byte >= 0x40 && byte <= 0x7E;
}

} // namespace

void KeyDecoder::feed(std::string_view bytes) {
    // Drop what was taken before growing, so the buffer stays the size of the unread input.
    if (start_ != 0) {
        buffer_.erase(0, start_);
        start_ = 0;
    }
    buffer_.append(bytes);
}

void KeyDecoder::consume(std::size_t count) {
    start_ += count;
}

void KeyDecoder::dropSwallowedLineFeed() {
    if (swallowLineFeed_ && available() != 0) {
        swallowLineFeed_ = false;
        if (byteAt(0) == '\n') {
            consume(1);
        }
    }
}

void KeyDecoder::consumeLineBreak() {
    const bool carriageReturn = byteAt(0) == '\r';
    consume(1);
    if (carriageReturn) {
        if (available() == 0) {
            swallowLineFeed_ = true;
        } else if (byteAt(0) == '\n') {
            consume(1);
        }
    }
}

DecodeStatus KeyDecoder::nextKey(int& key, bool flush) {
    if (pendingCode_ != -1) {
        key          = pendingCode_;
        pendingCode_ = -1;
        return DECODE_READY;
    }
    const bool decideNow = flush || ended_;
    for (;;) {
        dropSwallowedLineFeed();
        if (available() == 0) {
            key = KEY_END;
            return ended_ ? DECODE_END : DECODE_NEED_BYTES;
        }
        const unsigned char first = byteAt(0);
        if (first == '\r' || first == '\n') {
            consumeLineBreak();
            key = KEY_ENTER;
            return DECODE_READY;
        }
        if (first != ESC) {
            consume(1);
            key = first;
            return DECODE_READY;
        }
        // 1. An escape: alone, or the start of ESC [ ... or ESC O ...
        if (available() == 1) {
            if (!decideNow) {
                return DECODE_INCOMPLETE;
            }
            consume(1);
            key = KEY_ESCAPE;
            return DECODE_READY;
        }
        if (byteAt(1) != '[' && byteAt(1) != 'O') {
            consume(1);
            key = KEY_ESCAPE;
            return DECODE_READY;
        }
        // 2. Skip the parameters up to the final byte.
        std::size_t end = 2;
        while (end < available() && isSequenceBody(byteAt(end))) {
            ++end;
        }
        if (end == available()) {
            if (!decideNow) {
                return DECODE_INCOMPLETE;
            }
            consume(end); // unfinished for good: dropped
            continue;
        }
        // 3. A byte that cannot end a sequence cuts it off; it is read again as a key.
        const unsigned char last = byteAt(end);
        if (!isSequenceFinal(last)) {
            consume(end);
            continue;
        }
        consume(end + 1);
        const int code = arrowCode(last);
        if (code != -1) {
            pendingCode_ = code;
            key          = KEY_ARROW_PREFIX;
            return DECODE_READY;
        }
    }
}

DecodeStatus KeyDecoder::takeEscape(bool flush) {
    const bool decideNow = flush || ended_;
    std::size_t at       = swallowLineFeed_ && available() != 0 && byteAt(0) == '\n' ? 1 : 0;
    while (at < available()) {
        if (byteAt(at) != ESC) {
            ++at;
            continue;
        }
        // An ESC alone, or followed by anything but '[' or 'O', is the Esc key.
        if (at + 1 == available() && !decideNow) {
            return DECODE_INCOMPLETE;
        }
        if (at + 1 == available() || (byteAt(at + 1) != '[' && byteAt(at + 1) != 'O')) {
            buffer_.erase(start_ + at, 1);
            return DECODE_READY;
        }
        // A sequence: skipped up to its final byte, or up to the byte that cuts it off. An
        // unfinished one at the end is never an Esc.
        std::size_t end = at + 2;
        while (end < available() && isSequenceBody(byteAt(end))) {
            ++end;
        }
        at = end < available() && isSequenceFinal(byteAt(end)) ? end + 1 : end;
    }
    return DECODE_NEED_BYTES;
}

DecodeStatus KeyDecoder::nextLine(std::string& line) {
    pendingCode_ = -1;
    dropSwallowedLineFeed();
    std::size_t length = 0;
    while (length < available() && byteAt(length) != '\n' && byteAt(length) != '\r') {
        ++length;
    }
    if (length == available()) {
        if (!ended_) {
            return DECODE_NEED_BYTES;
        }
        if (length == 0) {
            return DECODE_END;
        }
    }
    line.assign(buffer_, start_, length);
    consume(length);
    if (available() != 0) {
        consumeLineBreak();
    }
    return DECODE_READY;
}

} // namespace goalbox::platform
