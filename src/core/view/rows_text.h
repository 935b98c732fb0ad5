#pragma once
// The text of the rows on screen: an upper-case offset, lower-case hex cells and one
// text-column character per byte, each row ended by CR LF.

#include <cstddef>
#include <cstdint>

namespace nibblet {

// Characters of one full row: the offset, ": ", "ff " per byte, one character per byte, CR LF.
constexpr std::size_t rowChars(std::uint32_t bytesPerRow, int offsetDigits) {
  return static_cast<std::size_t>(offsetDigits) + 2 + 4 * static_cast<std::size_t>(bytesPerRow) + 2;
}

// The character the text column shows for a byte: "." for 0x00-0x10, else U+0011-U+00FF.
constexpr char16_t textColumnChar(std::uint8_t byte) { return byte <= 0x10 ? u'.' : char16_t(byte); }

// Writes the rows holding the `count` bytes at `bytes`, the first of which is document offset
// `firstOffset`. Only the last row may be short: its missing hex cells are blanks and its text
// column ends with the data. `out` needs rowsFor(count) * rowChars(...) characters; returns the
// number written (no terminator). `bytesPerRow` must be at least 1 and `offsetDigits` 1 to 9.
std::size_t formatRows(const std::uint8_t* bytes, std::uint32_t firstOffset, std::uint32_t count,
                       std::uint32_t bytesPerRow, int offsetDigits, char16_t* out);

}  // namespace nibblet
