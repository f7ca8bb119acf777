#ifndef PLATFORM_GBKTABLE_H
#define PLATFORM_GBKTABLE_H

#include <cstdint>
#include <span>

namespace goalbox::platform {

// One character of the conversion table: a Unicode code point and its two GBK bytes
// (lead byte << 8 | trail byte).
struct GbkEntry {
    char32_t character;
    std::uint16_t code;
};

// The whole table, sorted by character. It holds every character the program writes: the
// symbol rows A1 to A9 and the level-1 Chinese characters (B0 to D7) of GB2312, and the
// block and line characters of GBK A840 to A895 (the wall and goal symbols are there).
std::span<const GbkEntry> gbkTable();

// The GBK code of one character, or 0 when the table has none. ASCII is not in the table.
std::uint16_t gbkCode(char32_t character);

} // namespace goalbox::platform

#endif
