#pragma once
// Hexadecimal byte pairs as the entry and search dialogs read and write them.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace nibblet {

// The value of a hexadecimal digit (either case), or -1.
int hexDigitValue(char16_t c);
// White space as the C library's isspace sees it in the C locale: blank, tab, the line ends.
bool isCSpace(char16_t c);

// Reads pairs of hex digits into `out` (room for `maximum` bytes) and returns how many bytes it
// wrote. Blanks (U+0020 only) are skipped anywhere, also between the two digits of a pair; a
// lone last digit is dropped. A pair converts like a base-16 string-to-long of its two
// characters, keeping the low 8 bits: the longest valid prefix counts, so "1G" gives 0x01,
// "G1" 0x00 and "-1" 0xFF. Non-digits are never an error.
std::size_t parseHexPairs(std::u16string_view text, std::uint8_t* out, std::size_t maximum);

// Appends each byte as two upper-case digits, without separators, while `text` stays within
// `maxChars` characters; returns the number of bytes appended.
std::size_t appendHexPairs(std::u16string& text, const std::uint8_t* bytes, std::size_t count,
                           std::size_t maxChars);

}  // namespace nibblet
