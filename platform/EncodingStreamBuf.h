#ifndef PLATFORM_ENCODINGSTREAMBUF_H
#define PLATFORM_ENCODINGSTREAMBUF_H

#include <array>
#include <functional>
#include <optional>
#include <streambuf>
#include <string>
#include <string_view>

#include "platform/TextEncoding.h"

namespace goalbox::platform {

// The stream buffer that the console puts under std::cout and std::cerr. It takes the
// program's UTF-8 text, converts it with a TextEncoder and hands the bytes to the sink only
// when the stream is flushed, so that everything written between two flushes (a clear and
// the frame after it) leaves in one piece. Text that piles up past SINK_THRESHOLD without a
// flush is handed over early.
class EncodingStreamBuf final : public std::streambuf {
  public:
    // Receives converted bytes; writes them out completely or drops them.
    using Sink = std::function<void(std::string_view bytes)>;

    static constexpr std::size_t SINK_THRESHOLD = std::size_t{1} << 20;

    EncodingStreamBuf(OutputEncoding encoding, ConsoleColumn* column, Sink sink);
    EncodingStreamBuf(const EncodingStreamBuf&)            = delete;
    EncodingStreamBuf& operator=(const EncodingStreamBuf&) = delete;

    // Hands everything to the sink; an unfinished UTF-8 character becomes '?'.
    void finish();

  protected:
    int_type overflow(int_type ch) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int sync() override;

  private:
    void convertPutArea();
    void handOver();

    std::array<char, 4096> buffer_{};
    std::string converted_;
    TextEncoder encoder_;
    Sink sink_;
};

// std::cout and std::cerr routed through encoding buffers, and put back as they were found.
class StandardStreams {
  public:
    void install(OutputEncoding outEncoding, OutputEncoding errEncoding, ConsoleColumn* column,
                 EncodingStreamBuf::Sink outSink, EncodingStreamBuf::Sink errSink);
    // Flushes both streams, hands over what is left and puts the found buffers back.
    void uninstall();

  private:
    std::optional<EncodingStreamBuf> out_;
    std::optional<EncodingStreamBuf> err_;
    std::streambuf* foundOut_ = nullptr;
    std::streambuf* foundErr_ = nullptr;
};

} // namespace goalbox::platform

#endif
