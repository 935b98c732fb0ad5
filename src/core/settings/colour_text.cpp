#include "core/settings/colour_text.h"

namespace nibblet {

std::uint32_t parseColour(std::u16string_view text) {
  if (text.size() > 80) text = text.substr(0, 80);
  std::uint32_t parts[3] = {0, 0, 0};
  int part = 0;
  std::size_t i = 0;
  auto isSeparator = [](char16_t c) { return c == u',' || c == u';' || c == u' '; };
  while (part < 3 && i < text.size()) {
    while (i < text.size() && isSeparator(text[i])) ++i;
    if (i >= text.size()) break;
    // A piece reads its leading decimal digits; anything else in it reads as 0.
    std::uint32_t value = 0;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') {
      value = value * 10 + static_cast<std::uint32_t>(text[i] - u'0');
      ++i;
    }
    while (i < text.size() && !isSeparator(text[i])) ++i;
    parts[part++] = value & 0xFF;
  }
  return parts[0] | (parts[1] << 8) | (parts[2] << 16);
}

}  // namespace nibblet
