#ifndef PLATFORM_KEYDECODER_H
#define PLATFORM_KEYDECODER_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace goalbox::platform {

// What the decoder can make of the bytes it holds.
enum DecodeStatus : std::uint8_t {
    DECODE_READY,      // a key or a line was taken
    DECODE_NEED_BYTES, // nothing to take: wait for more input
    DECODE_INCOMPLETE, // an escape sequence has begun: wait briefly for the rest, or ask
                       // again with `flush` set once none has come
    DECODE_END,        // input has ended and nothing is left
};

// Turns the bytes of standard input into the key codes the game expects and into typed
// lines. Key reads and line reads share one buffer, so a script can hold the level line and
// the keys after it in one chunk, and several keys can come in one read.
//
// Keys:
// - ESC [ or ESC O, then any digits and ';', then A, B, C or D: an arrow, 224 followed by
//   72 (up), 80 (down), 77 (right) or 75 (left) on the next call. Any other complete escape
//   sequence is dropped, and so is an unfinished one when input ends or a wait runs out.
// - ESC followed by anything else, or ESC at the end of input: 27; the next byte is a key of
//   its own.
// - CR, LF or CR LF: 13. A LF right after a CR is dropped even when it arrives later, by a
//   key read or by a line read.
// - Every other byte is its own code, 224 included, so the raw pair 224 72 is an arrow too.
class KeyDecoder {
  public:
    // Adds bytes read from the input.
    void feed(std::string_view bytes);
    // Tells that no more bytes will come.
    void markEnd() { ended_ = true; }
    bool hasEnded() const { return ended_; }

    // Takes one key. READY sets `key`; END sets it to KEY_END (and stays END). `flush`
    // decides a begun escape sequence with what is there.
    DecodeStatus nextKey(int& key, bool flush = false);
    // Takes one line, ended by LF, CR or CR LF (the line break is not part of it). At the end
    // of input the rest is a line when it is not empty. An arrow's second code that is still
    // waiting is dropped.
    DecodeStatus nextLine(std::string& line);
    // Takes the first Esc key among the bytes held, as nextKey would read them, and leaves every
    // other key and line in place. READY when one was taken; INCOMPLETE when the bytes end in an
    // ESC that may begin an arrow's sequence (ask again with `flush` set once no more has come);
    // NEED_BYTES when there is none.
    DecodeStatus takeEscape(bool flush = false);

  private:
    std::size_t available() const { return buffer_.size() - start_; }
    unsigned char byteAt(std::size_t offset) const {
        return static_cast<unsigned char>(buffer_[start_ + offset]);
    }
    void consume(std::size_t count);
    void consumeLineBreak();
    void dropSwallowedLineFeed();

    std::string buffer_;
    std::size_t start_    = 0;
    int pendingCode_      = -1;
    bool swallowLineFeed_ = false;
    bool ended_           = false;
};

} // namespace goalbox::platform

#endif
