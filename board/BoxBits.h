#ifndef BOARD_BOXBITS_H
#define BOARD_BOXBITS_H

#include <cstdint>
#include <vector>

namespace goalbox {

// One bit per cell, bit i set when cell i holds a box.
//
//   words[0]: bit 0 = cell 0 ... bit 63 = cell 63
//   words[1]: bit 0 = cell 64 ...
//
// Bits past bitCount in the last word stay zero, so two vectors of the same
// length compare equal word by word exactly when their cells agree.
struct BoxBits {
    std::vector<std::uint64_t> words;
    std::int32_t bitCount = 0;

    // Sets the length to n bits; new bits are zero and bits past n are cleared.
    void resize(std::int32_t n) {
        words.resize(static_cast<std::size_t>((n + 63) / 64), 0);
        bitCount = n;
        if (n % 64 != 0) {
            words.back() &= (std::uint64_t{1} << (n % 64)) - 1;
        }
    }
    bool test(std::int32_t i) const { return (words[i / 64] >> (i % 64)) & 1u; }
    void set(std::int32_t i) { words[i / 64] |= std::uint64_t{1} << (i % 64); }
    void reset(std::int32_t i) { words[i / 64] &= ~(std::uint64_t{1} << (i % 64)); }
    void clear() {
        words.clear();
        bitCount = 0;
    }
    bool operator==(const BoxBits&) const = default;
};

} // namespace goalbox

#endif
