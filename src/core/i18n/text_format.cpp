#include "core/i18n/text_format.h"

#include <algorithm>
#include <cstdint>

namespace nibblet {
namespace {

struct Conversion {
  bool left = false, zero = false, plus = false, blank = false, alternate = false;
  std::size_t width = 0;
  bool hasPrecision = false;
  std::size_t precision = 0;
};

// Collects the output and never lets it grow past `cap` units, whatever a format asks for.
class Output {
 public:
  explicit Output(std::size_t cap) : m_cap(cap) {}
  bool full() const { return m_text.size() >= m_cap; }
  void append(std::u16string_view s) { m_text.append(s.substr(0, m_cap - m_text.size())); }
  void repeat(char16_t c, std::size_t n) { m_text.append(std::min(n, m_cap - m_text.size()), c); }
  std::u16string& text() { return m_text; }

 private:
  std::size_t m_cap;
  std::u16string m_text;
};

std::u16string digits(std::uint64_t value, unsigned base, bool upper) {
  const char* set = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  char16_t buffer[64];
  std::size_t n = 0;
  do {
    buffer[n++] = static_cast<char16_t>(set[value % base]);
    value /= base;
  } while (value != 0);
  std::reverse(buffer, buffer + n);
  return std::u16string(buffer, n);
}

void emit(Output& out, std::u16string_view prefix, std::u16string_view body, const Conversion& s,
          bool numeric) {
  std::size_t zeros = 0;
  if (numeric && s.hasPrecision) {
    if (s.precision == 0 && body == u"0") body = {};
    if (s.precision > body.size()) zeros = s.precision - body.size();
  }
  std::size_t length = prefix.size() + zeros + body.size();
  std::size_t fill = s.width > length ? s.width - length : 0;
  if (!s.left && s.zero && numeric && !s.hasPrecision) {
    zeros += fill;
    fill = 0;
  }
  if (!s.left) out.repeat(u' ', fill);
  out.append(prefix);
  out.repeat(u'0', zeros);
  out.append(body);
  if (s.left) out.repeat(u' ', fill);
}

constexpr std::size_t kMaxFormattedChars = std::size_t{1} << 20;

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

}  // namespace

std::u16string formatText(std::u16string_view format, std::initializer_list<FormatArg> args,
                          std::size_t maxChars) {
  maxChars = std::min(maxChars, kMaxFormattedChars);
  const FormatArg* next = args.begin();
  auto take = [&]() -> const FormatArg* { return next != args.end() ? next++ : nullptr; };
  auto number = [](const FormatArg* a) { return a && a->kind == FormatArg::Kind::Number; };

  // One unit beyond the limit shows whether the cut falls inside a surrogate pair.
  Output out(maxChars + 1);
  std::size_t i = 0;
  auto at = [&](char16_t c) { return i < format.size() && format[i] == c; };
  auto readCount = [&]() {
    std::size_t v = 0;
    while (i < format.size() && isDigit(format[i])) {
      v = std::min<std::size_t>(v * 10 + (format[i] - u'0'), maxChars);
      ++i;
    }
    return v;
  };
  auto clamp = [&](std::int64_t v) {
    std::uint64_t magnitude = v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
    return static_cast<std::size_t>(std::min<std::uint64_t>(magnitude, maxChars));
  };

  while (i < format.size() && !out.full()) {
    char16_t c = format[i++];
    if (c != u'%') {
      out.append(std::u16string_view(&c, 1));
      continue;
    }
    if (i >= format.size()) break;
    if (at(u'%')) {
      out.append(u"%");
      ++i;
      continue;
    }
    Conversion s;
    for (; i < format.size(); ++i) {
      char16_t f = format[i];
      if (f == u'-') s.left = true;
      else if (f == u'0') s.zero = true;
      else if (f == u'+') s.plus = true;
      else if (f == u' ') s.blank = true;
      else if (f == u'#') s.alternate = true;
      else break;
    }
    if (at(u'*')) {
      ++i;
      const FormatArg* a = take();
      if (number(a)) {
        if (a->number < 0) s.left = true;
        s.width = clamp(a->number);
      }
    } else {
      s.width = readCount();
    }
    if (at(u'.')) {
      ++i;
      s.hasPrecision = true;
      if (at(u'*')) {
        ++i;
        const FormatArg* a = take();
        // A negative precision counts as none, as in C.
        if (number(a) && a->number < 0) s.hasPrecision = false;
        else s.precision = number(a) ? clamp(a->number) : 0;
      } else {
        s.precision = readCount();
      }
    }
    // Length modifiers: the argument's own kind decides, so they only need skipping.
    while (i < format.size()) {
      char16_t m = format[i];
      if (m == u'h' || m == u'l' || m == u'L' || m == u'z' || m == u'j' || m == u't' ||
          m == u'q' || m == u'w') {
        ++i;
      } else if (m == u'I') {
        ++i;
        if (format.substr(i, 2) == u"32" || format.substr(i, 2) == u"64") i += 2;
      } else {
        break;
      }
    }
    if (i >= format.size()) break;
    char16_t conv = format[i++];
    switch (conv) {
      case u'd':
      case u'i': {
        const FormatArg* a = take();
        if (!number(a)) break;
        std::int64_t v = a->number;
        std::uint64_t magnitude =
            v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
        std::u16string_view sign = v < 0 ? u"-" : s.plus ? u"+" : s.blank ? u" " : u"";
        emit(out, sign, digits(magnitude, 10, false), s, true);
        break;
      }
      case u'u':
      case u'x':
      case u'X':
      case u'o': {
        const FormatArg* a = take();
        if (!number(a)) break;
        std::int64_t v = a->number;
        std::uint64_t u = v >= INT32_MIN && v <= static_cast<std::int64_t>(UINT32_MAX)
                              ? static_cast<std::uint32_t>(v)
                              : static_cast<std::uint64_t>(v);
        unsigned base = conv == u'u' ? 10 : conv == u'o' ? 8 : 16;
        std::u16string body = digits(u, base, conv == u'X');
        std::u16string_view prefix;
        if (s.alternate && base == 16 && u != 0) prefix = conv == u'X' ? u"0X" : u"0x";
        if (s.alternate && base == 8 && body.front() != u'0' &&
            !(s.hasPrecision && s.precision > body.size()))
          prefix = u"0";
        emit(out, prefix, body, s, true);
        break;
      }
      case u'c':
      case u'C': {
        const FormatArg* a = take();
        if (!number(a)) break;
        char16_t ch = static_cast<char16_t>(a->number & 0xFFFF);
        emit(out, u"", std::u16string_view(&ch, 1), s, false);
        break;
      }
      case u's':
      case u'S': {
        const FormatArg* a = take();
        if (!a || a->kind != FormatArg::Kind::Text) break;
        std::u16string_view t = a->text;
        if (s.hasPrecision && s.precision < t.size()) t = t.substr(0, s.precision);
        emit(out, u"", t, s, false);
        break;
      }
      case u'e': case u'E': case u'f': case u'F': case u'g': case u'G': case u'a': case u'A':
      case u'p':
        // The program never passes these kinds; the argument in their place is not printed.
        take();
        break;
      case u'n':
        break;
      default: {
        char16_t unknown[2] = {u'%', conv};
        out.append(std::u16string_view(unknown, 2));
        break;
      }
    }
  }

  std::u16string& text = out.text();
  if (text.size() > maxChars) {
    bool splitsPair = maxChars > 0 && text[maxChars - 1] >= 0xD800 && text[maxChars - 1] <= 0xDBFF &&
                      text[maxChars] >= 0xDC00 && text[maxChars] <= 0xDFFF;
    text.resize(splitsPair ? maxChars - 1 : maxChars);
  }
  return std::move(text);
}

}  // namespace nibblet
