#include "core/i18n/resource_line.h"

#include "core/platform/unicode.h"

namespace nibblet {

void ResourceLine::skipBlanks() {
  while (!m_rest.empty() && (m_rest.front() == ' ' || m_rest.front() == '\t')) m_rest.remove_prefix(1);
}

bool ResourceLine::atEnd() {
  skipBlanks();
  return m_rest.empty();
}

bool ResourceLine::word(std::string_view& out) {
  skipBlanks();
  std::size_t n = 0;
  while (n < m_rest.size() && m_rest[n] >= 'a' && m_rest[n] <= 'z') ++n;
  if (n == 0) return false;
  out = m_rest.substr(0, n);
  m_rest.remove_prefix(n);
  return true;
}

bool ResourceLine::id(int& out) {
  skipBlanks();
  std::size_t n = 0;
  int value = 0;
  while (n < m_rest.size() && m_rest[n] >= '0' && m_rest[n] <= '9') {
    if (++n > 5) return false;
    value = value * 10 + (m_rest[n - 1] - '0');
  }
  if (n == 0 || value < 1 || value > kMaxResourceId) return false;
  out = value;
  m_rest.remove_prefix(n);
  return true;
}

bool ResourceLine::symbol(char c) {
  skipBlanks();
  if (m_rest.empty() || m_rest.front() != c) return false;
  m_rest.remove_prefix(1);
  return true;
}

bool ResourceLine::quoted(std::u16string& out) {
  skipBlanks();
  if (m_rest.empty() || m_rest.front() != '"') return false;
  std::string text;
  std::size_t i = 1;
  for (;; ++i) {
    if (i >= m_rest.size()) return false;
    char c = m_rest[i];
    if (c == '"') break;
    if (c != '\\') {
      text += c;
      continue;
    }
    if (++i >= m_rest.size()) return false;
    switch (m_rest[i]) {
      case 'n': text += '\n'; break;
      case 'r': text += '\r'; break;
      case 't': text += '\t'; break;
      case '\\': text += '\\'; break;
      case '"': text += '"'; break;
      default: return false;
    }
  }
  m_rest.remove_prefix(i + 1);
  out = fromUtf8(text);
  return true;
}

bool isStrictUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    unsigned char b = static_cast<unsigned char>(text[i]);
    int extra;
    char32_t c, minimum;
    if (b < 0x80) {
      ++i;
      continue;
    } else if ((b & 0xE0) == 0xC0) {
      extra = 1; c = b & 0x1F; minimum = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
      extra = 2; c = b & 0x0F; minimum = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
      extra = 3; c = b & 0x07; minimum = 0x10000;
    } else {
      return false;
    }
    if (text.size() - i <= static_cast<std::size_t>(extra)) return false;
    for (int k = 1; k <= extra; ++k) {
      unsigned char n = static_cast<unsigned char>(text[i + k]);
      if ((n & 0xC0) != 0x80) return false;
      c = (c << 6) | (n & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    i += static_cast<std::size_t>(extra) + 1;
  }
  return true;
}

}  // namespace nibblet
