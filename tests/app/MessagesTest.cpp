// Every text the player can see has a form in the console's encoding.
#include <cstddef>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "tests/platform/GbkText.h"

namespace goalbox {
namespace {

// The string literals of a C++ source text, joined; an escape keeps the character after the
// backslash, which is ASCII in the texts of the program.
std::string stringLiterals(const std::string& source) {
    std::string joined;
    bool inLiteral = false;
    for (std::size_t i = 0; i < source.size(); ++i) {
        const char c = source[i];
        if (c == '"') {
            inLiteral = !inLiteral;
        } else if (inLiteral) {
            if (c == '\\' && i + 1 < source.size()) {
                ++i;
            }
            joined += source[i];
        }
    }
    return joined;
}

// The texts are read where they are written, the one table of app/Messages.cpp, so that a text
// added there is checked without being named here.
TEST(Messages, EveryCharacterHasAGbkForm) {
    std::ifstream file(GOALBOX_SOURCE_DIR "/app/Messages.cpp", std::ios::binary);
    ASSERT_TRUE(file) << "app/Messages.cpp not found";
    std::ostringstream source;
    source << file.rdbuf();
    const std::string texts = stringLiterals(source.str());
    ASSERT_NE(texts.find("证明无解！"), std::string::npos);
    ASSERT_NE(texts.find("♀"), std::string::npos);
    const std::u32string missing = platform::test::unmappedCharacters(texts);
    EXPECT_TRUE(missing.empty()) << "first unmapped code point: U+" << std::hex
                                 << (missing.empty() ? 0u : static_cast<unsigned>(missing[0]));
}

} // namespace
} // namespace goalbox
