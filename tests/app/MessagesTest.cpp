// Every text the player can see has a form in the console's encoding.
#include <gtest/gtest.h>

#include "app/Messages.h"
#include "platform/TextEncoding.h"

namespace goalbox {
namespace {

TEST(Messages, EveryCharacterHasAGbkForm) {
    const std::u32string missing = platform::unmappedCharacters(text::allTexts());
    EXPECT_TRUE(missing.empty()) << "first unmapped code point: U+" << std::hex
                                 << (missing.empty() ? 0u : static_cast<unsigned>(missing[0]));
}

} // namespace
} // namespace goalbox
