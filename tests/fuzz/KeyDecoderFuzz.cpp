// Fuzz target: the key decoder on any byte stream, fed in any chunk splits, with key reads and
// line reads interleaved in any order.
//
// The input is split by FuzzedDataProvider into the stream itself, its chunk lengths and the
// order of reads. Two runs check each input:
// - Waiting reads (never `flush`): the keys and lines must be exactly those a plain reading of
//   the whole stream gives, whatever the chunks, and the last read must report the end.
// - Reads with random `flush` (a terminal whose escape wait ran out): no exact result is fixed,
//   but every key must be a byte, Enter, an arrow pair or the escape key, every line free of
//   line breaks, and the decoder must reach the end within as many reads as there are bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "platform/Console.h"
#include "platform/KeyDecoder.h"
#include "tests/fuzz/FuzzCheck.h"

namespace goalbox::platform::fuzz {
namespace {

constexpr int KEY_ENTER        = 13;
constexpr int KEY_ESCAPE       = 27;
constexpr int KEY_ARROW_PREFIX = 224;

// One read and what it gave: a key code (KEY_END at the end) or a line (`ended` at the end).
struct Taken {
    bool isLine = false;
    int key     = KEY_END;
    std::string line;
    bool ended = false;

    bool operator==(const Taken&) const = default;
};

// A plain reading of the whole stream, written from the decoder's documented rules rather than
// from its code.
class PlainReader {
  public:
    explicit PlainReader(std::string_view bytes) : bytes_(bytes) {}

    Taken key() {
        Taken t;
        if (pending_ != -1) {
            t.key    = pending_;
            pending_ = -1;
            return t;
        }
        for (;;) {
            if (at_ == bytes_.size()) {
                t.key = KEY_END;
                return t;
            }
            const auto first = static_cast<unsigned char>(bytes_[at_]);
            if (first == '\r' || first == '\n') {
                skipLineBreak();
                t.key = KEY_ENTER;
                return t;
            }
            ++at_;
            if (first != 0x1B) {
                t.key = first;
                return t;
            }
            if (at_ == bytes_.size() || (bytes_[at_] != '[' && bytes_[at_] != 'O')) {
                t.key = KEY_ESCAPE;
                return t;
            }
            ++at_;
            while (at_ < bytes_.size() && static_cast<unsigned char>(bytes_[at_]) >= 0x20 &&
                   static_cast<unsigned char>(bytes_[at_]) <= 0x3F) {
                ++at_;
            }
            if (at_ == bytes_.size()) {
                continue; // cut off by the end: dropped
            }
            const auto last = static_cast<unsigned char>(bytes_[at_]);
            if (last < 0x40 || last > 0x7E) {
                continue; // cut off by a byte that is read again as a key
            }
            ++at_;
            const std::string_view arrows = "ABCD";
            const int codes[]             = {72, 80, 77, 75};
            if (const std::size_t a = arrows.find(static_cast<char>(last));
                a != std::string_view::npos) {
                pending_ = codes[a];
                t.key    = KEY_ARROW_PREFIX;
                return t;
            }
        }
    }

    Taken line() {
        Taken t;
        t.isLine        = true;
        pending_        = -1;
        std::size_t end = at_;
        while (end < bytes_.size() && bytes_[end] != '\r' && bytes_[end] != '\n') {
            ++end;
        }
        if (end == at_ && end == bytes_.size()) {
            t.ended = true;
            return t;
        }
        t.line = std::string(bytes_.substr(at_, end - at_));
        at_    = end;
        if (at_ < bytes_.size()) {
            skipLineBreak();
        }
        return t;
    }

  private:
    void skipLineBreak() {
        const bool carriageReturn = bytes_[at_] == '\r';
        ++at_;
        if (carriageReturn && at_ < bytes_.size() && bytes_[at_] == '\n') {
            ++at_;
        }
    }

    std::string_view bytes_;
    std::size_t at_ = 0;
    int pending_    = -1;
};

// Feeds the decoder chunk by chunk from the stream, as reads of standard input would.
class ChunkFeeder {
  public:
    ChunkFeeder(KeyDecoder& decoder, std::string_view stream, const std::vector<std::size_t>& cuts)
        : decoder_(decoder), stream_(stream), cuts_(cuts) {}

    // Feeds the next chunk, or marks the end when none is left; false once the end is marked.
    bool feedMore() {
        if (at_ == stream_.size()) {
            if (ended_) {
                return false;
            }
            decoder_.markEnd();
            ended_ = true;
            return true;
        }
        const std::size_t want = cuts_.empty() ? 1 : cuts_[next_++ % cuts_.size()];
        const std::size_t take = std::min(stream_.size() - at_, want);
        decoder_.feed(stream_.substr(at_, take));
        at_ += take;
        return true;
    }

  private:
    KeyDecoder& decoder_;
    std::string_view stream_;
    const std::vector<std::size_t>& cuts_;
    std::size_t at_   = 0;
    std::size_t next_ = 0;
    bool ended_       = false;
};

bool isKnownKey(int key) {
    return key == KEY_END || (key >= 0 && key <= 255);
}

// The waiting run: compared read by read with the plain reading.
void checkWaitingReads(std::string_view stream, const std::vector<std::size_t>& cuts,
                       const std::vector<bool>& lineReads) {
    KeyDecoder decoder;
    ChunkFeeder feeder(decoder, stream, cuts);
    PlainReader plain(stream);
    std::size_t read = 0;
    for (;; ++read) {
        const bool isLine = !lineReads.empty() && lineReads[read % lineReads.size()];
        Taken got;
        got.isLine          = isLine;
        DecodeStatus status = DECODE_NEED_BYTES;
        for (;;) {
            status = isLine ? decoder.nextLine(got.line) : decoder.nextKey(got.key);
            if (status == DECODE_READY || status == DECODE_END) {
                break;
            }
            FUZZ_CHECK(feeder.feedMore());
        }
        if (isLine) {
            got.ended = status == DECODE_END;
            if (got.ended) {
                got.line.clear();
            }
        } else {
            FUZZ_CHECK((status == DECODE_END) == (got.key == KEY_END));
        }
        const Taken wanted = isLine ? plain.line() : plain.key();
        FUZZ_CHECK(got == wanted);
        if (status == DECODE_END) {
            break;
        }
        // Every read that is not the last one takes at least one byte, or the second code of an
        // arrow; so reads are bounded by twice the stream.
        FUZZ_CHECK(read <= 2 * stream.size() + 2);
    }
    // The end stays.
    int key = 0;
    std::string line;
    FUZZ_CHECK(decoder.nextKey(key) == DECODE_END && key == KEY_END);
    FUZZ_CHECK(decoder.nextLine(line) == DECODE_END);
}

// The run with timed-out escape waits: only what holds for every outcome.
void checkFlushingReads(std::string_view stream, const std::vector<std::size_t>& cuts,
                        FuzzedDataProvider& choices) {
    KeyDecoder decoder;
    ChunkFeeder feeder(decoder, stream, cuts);
    for (std::size_t read = 0; read <= 2 * stream.size() + 2; ++read) {
        const bool isLine = choices.ConsumeBool();
        if (isLine) {
            std::string line = "old";
            DecodeStatus status;
            while ((status = decoder.nextLine(line)) == DECODE_NEED_BYTES) {
                FUZZ_CHECK(feeder.feedMore());
            }
            FUZZ_CHECK(status == DECODE_READY || status == DECODE_END);
            FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos);
            if (status == DECODE_END) {
                return;
            }
            continue;
        }
        int key = 0;
        DecodeStatus status;
        while ((status = decoder.nextKey(key, choices.ConsumeBool())) == DECODE_NEED_BYTES ||
               status == DECODE_INCOMPLETE) {
            if (status == DECODE_INCOMPLETE && choices.ConsumeBool()) {
                status = decoder.nextKey(key, true);
                FUZZ_CHECK(status != DECODE_INCOMPLETE);
                if (status != DECODE_NEED_BYTES) {
                    break;
                }
            }
            FUZZ_CHECK(feeder.feedMore());
        }
        FUZZ_CHECK(isKnownKey(key));
        FUZZ_CHECK((status == DECODE_END) == (key == KEY_END));
        if (status == DECODE_END) {
            return;
        }
        FUZZ_CHECK(status == DECODE_READY);
    }
    FUZZ_CHECK(!"the decoder did not reach the end of its input");
}

} // namespace
} // namespace goalbox::platform::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace goalbox::platform::fuzz;
    FuzzedDataProvider provider(data, size);
    // Chunk lengths 1 to 8 (0 would feed nothing), then the order of key and line reads, then
    // the stream, which takes whatever is left.
    std::vector<std::size_t> cuts(provider.ConsumeIntegralInRange<std::size_t>(0, 8));
    for (std::size_t& cut : cuts) {
        cut = provider.ConsumeIntegralInRange<std::size_t>(1, 8);
    }
    std::vector<bool> lineReads(provider.ConsumeIntegralInRange<std::size_t>(0, 8));
    for (std::size_t i = 0; i < lineReads.size(); ++i) {
        lineReads[i] = provider.ConsumeBool();
    }
    const std::string choiceBytes =
        provider.ConsumeBytesAsString(provider.ConsumeIntegralInRange<std::size_t>(0, 64));
    const std::string stream = provider.ConsumeRemainingBytesAsString();

    checkWaitingReads(stream, cuts, lineReads);
    FuzzedDataProvider choices(reinterpret_cast<const std::uint8_t*>(choiceBytes.data()),
                               choiceBytes.size());
    checkFlushingReads(stream, cuts, choices);
    return 0;
}
