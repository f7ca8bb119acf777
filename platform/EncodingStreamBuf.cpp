// Converting stream buffer for the console's output streams.
#include "platform/EncodingStreamBuf.h"

#include <iostream>

#include <utility>

namespace goalbox::platform {

EncodingStreamBuf::EncodingStreamBuf(OutputEncoding encoding, ConsoleColumn* column, Sink sink)
    : encoder_(encoding, column), sink_(std::move(sink)) {
    setp(buffer_.data(), buffer_.data() + buffer_.size());
}

void EncodingStreamBuf::convertPutArea() {
    const std::string_view text(pbase(), static_cast<std::size_t>(pptr() - pbase()));
    encoder_.encode(text, converted_);
    setp(buffer_.data(), buffer_.data() + buffer_.size());
}

void EncodingStreamBuf::handOver() {
    if (!converted_.empty()) {
        sink_(converted_);
        converted_.clear();
    }
}

EncodingStreamBuf::int_type EncodingStreamBuf::overflow(int_type ch) {
    convertPutArea();
    if (!traits_type::eq_int_type(ch, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(ch);
        pbump(1);
    }
    if (converted_.size() >= SINK_THRESHOLD) {
        handOver();
    }
    return traits_type::not_eof(ch);
}

std::streamsize EncodingStreamBuf::xsputn(const char* text, std::streamsize count) {
    // Text larger than the put area skips it and goes straight to the encoder.
    if (count <= epptr() - pptr()) {
        traits_type::copy(pptr(), text, static_cast<std::size_t>(count));
        pbump(static_cast<int>(count));
        return count;
    }
    convertPutArea();
    encoder_.encode(std::string_view(text, static_cast<std::size_t>(count)), converted_);
    if (converted_.size() >= SINK_THRESHOLD) {
        handOver();
    }
    return count;
}

int EncodingStreamBuf::sync() {
    convertPutArea();
    handOver();
    return 0;
}

void EncodingStreamBuf::finish() {
    convertPutArea();
    encoder_.finish(converted_);
    handOver();
}

void StandardStreams::install(OutputEncoding outEncoding, OutputEncoding errEncoding,
                              ConsoleColumn* column, EncodingStreamBuf::Sink outSink,
                              EncodingStreamBuf::Sink errSink) {
    out_.emplace(outEncoding, column, std::move(outSink));
    err_.emplace(errEncoding, column, std::move(errSink));
    foundOut_ = std::cout.rdbuf(&*out_);
    foundErr_ = std::cerr.rdbuf(&*err_);
}

void StandardStreams::uninstall() {
    if (!out_) {
        return;
    }
    std::cout.flush();
    std::cerr.flush();
    out_->finish();
    err_->finish();
    std::cout.rdbuf(foundOut_);
    std::cerr.rdbuf(foundErr_);
}

} // namespace goalbox::platform
