#include "core/view/rows_text.h"

namespace nibblet {

std::size_t formatRows(const std::uint8_t* bytes, std::uint32_t firstOffset, std::uint32_t count,
                       std::uint32_t bytesPerRow, int offsetDigits, char16_t* out) {
  static constexpr char16_t kUpper[] = u"0123456789ABCDEF";
  static constexpr char16_t kLower[] = u"0123456789abcdef";
  char16_t* p = out;
  std::uint64_t offset = firstOffset;
  std::uint32_t used = 0;
  while (used < count) {
    std::uint32_t inRow = count - used < bytesPerRow ? count - used : bytesPerRow;
    for (int d = offsetDigits - 1; d >= 0; --d) *p++ = kUpper[(offset >> (4 * d)) & 0xF];
    *p++ = u':';
    *p++ = u' ';
    const std::uint8_t* row = bytes + used;
    for (std::uint32_t c = 0; c < inRow; ++c) {
      p[0] = kLower[row[c] >> 4];
      p[1] = kLower[row[c] & 0xF];
      p[2] = u' ';
      p += 3;
    }
    for (std::uint32_t c = inRow; c < bytesPerRow; ++c) {
      p[0] = p[1] = p[2] = u' ';
      p += 3;
    }
    for (std::uint32_t c = 0; c < inRow; ++c) *p++ = textColumnChar(row[c]);
    *p++ = u'\r';
    *p++ = u'\n';
    used += inRow;
    offset += inRow;
  }
  return static_cast<std::size_t>(p - out);
}

}  // namespace nibblet
