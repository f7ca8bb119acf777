#ifndef TESTS_PLATFORM_GBKTEXT_H
#define TESTS_PLATFORM_GBKTEXT_H

#include <string>
#include <string_view>

#include "platform/GbkTable.h"
#include "platform/TextEncoding.h"

// What the tests ask of UTF-8 text in GBK, through the console layer's public parts.
namespace goalbox::platform::test {

// The whole text in GBK, as a GBK console receives it: ASCII stays, a character without a GBK
// code or an invalid byte becomes '?'.
inline std::string utf8ToGbk(std::string_view utf8) {
    TextEncoder encoder(ENCODING_GBK);
    std::string gbk;
    encoder.encode(utf8, gbk);
    encoder.finish(gbk);
    return gbk;
}

// The characters of a UTF-8 text that have no GBK code, each once, in order of first
// appearance; invalid bytes show as U+FFFD. Empty when the whole text converts.
inline std::u32string unmappedCharacters(std::string_view utf8) {
    constexpr char32_t REPLACEMENT = 0xFFFD;
    std::u32string missing;
    const auto note = [&missing](char32_t character) {
        if (missing.find(character) == std::u32string::npos) {
            missing += character;
        }
    };
    Utf8Reader reader;
    for (char byte : utf8) {
        char32_t character    = 0;
        Utf8Reader::Step step = reader.put(static_cast<unsigned char>(byte), character);
        if (step == Utf8Reader::UTF8_BROKEN) {
            note(REPLACEMENT);
            step = reader.put(static_cast<unsigned char>(byte), character);
        }
        if (step == Utf8Reader::UTF8_INVALID) {
            note(REPLACEMENT);
        } else if (step == Utf8Reader::UTF8_CHAR && character >= 0x80 && gbkCode(character) == 0) {
            note(character);
        }
    }
    if (reader.isPending()) {
        note(REPLACEMENT);
    }
    return missing;
}

} // namespace goalbox::platform::test

#endif
