#include "core/view/hex_pairs.h"

namespace nibblet {

int hexDigitValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

bool isCSpace(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

namespace {

// A two-character string read as a base-16 long: leading white space and a sign are accepted,
// reading stops at the first character that is no digit, and the low 8 bits are kept ("-1"
// gives 0xFF, "1G" 0x01, "G1" 0x00).
std::uint8_t pairValue(char16_t high, char16_t low) {
  const char16_t pair[2] = {high, low};
  int i = 0;
  while (i < 2 && isCSpace(pair[i])) ++i;
  bool negative = false;
  if (i < 2 && (pair[i] == u'-' || pair[i] == u'+')) negative = pair[i++] == u'-';
  int value = 0;
  for (; i < 2; ++i) {
    int d = hexDigitValue(pair[i]);
    if (d < 0) break;
    value = value * 16 + d;
  }
  return static_cast<std::uint8_t>(negative ? -value : value);
}

}  // namespace

std::size_t parseHexPairs(std::u16string_view text, std::uint8_t* out, std::size_t maximum) {
  std::size_t count = 0;
  std::size_t i = 0;
  while (count < maximum) {
    while (i < text.size() && text[i] == u' ') ++i;
    if (i >= text.size()) break;
    char16_t high = text[i++];
    while (i < text.size() && text[i] == u' ') ++i;
    if (i >= text.size()) break;
    char16_t low = text[i++];
    out[count++] = pairValue(high, low);
  }
  return count;
}

std::size_t appendHexPairs(std::u16string& text, const std::uint8_t* bytes, std::size_t count,
                           std::size_t maxChars) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  std::size_t done = 0;
  while (done < count && text.size() + 2 <= maxChars) {
    text.push_back(kDigits[bytes[done] >> 4]);
    text.push_back(kDigits[bytes[done] & 0xF]);
    ++done;
  }
  return done;
}

}  // namespace nibblet
