#pragma once
// Colour text: red, green and blue as decimal numbers separated by ",", ";" or blanks.

#include <cstdint>
#include <string_view>

namespace nibblet {

// The colour value red + green * 256 + blue * 65536 of a colour text. Only the first 80
// characters count; each component keeps its low 8 bits; a missing one is 0.
std::uint32_t parseColour(std::u16string_view text);

inline int redOf(std::uint32_t colour) { return colour & 0xFF; }
inline int greenOf(std::uint32_t colour) { return (colour >> 8) & 0xFF; }
inline int blueOf(std::uint32_t colour) { return (colour >> 16) & 0xFF; }

}  // namespace nibblet
