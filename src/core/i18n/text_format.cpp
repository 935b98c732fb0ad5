#include "core/i18n/text_format.h"

#include <vector>

namespace nibblet {
namespace {

struct Spec {
  bool left = false, zero = false, plus = false, blank = false, alternate = false;
  int width = 0;
  int precision = -1;
};

std::u16string digits(std::uint64_t value, unsigned base, bool upper) {
  const char* set = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  std::u16string out;
  do {
    out.insert(out.begin(), static_cast<char16_t>(set[value % base]));
    value /= base;
  } while (value != 0);
  return out;
}

void pad(std::u16string& out, const std::u16string& prefix, std::u16string body, const Spec& s,
         bool numeric) {
  if (numeric && s.precision >= 0) {
    if (s.precision == 0 && body == u"0") body.clear();
    while (static_cast<int>(body.size()) < s.precision) body.insert(body.begin(), u'0');
  }
  int length = static_cast<int>(prefix.size() + body.size());
  int fill = s.width > length ? s.width - length : 0;
  if (s.left) {
    out += prefix;
    out += body;
    out.append(static_cast<std::size_t>(fill), u' ');
  } else if (s.zero && numeric && s.precision < 0) {
    out += prefix;
    out.append(static_cast<std::size_t>(fill), u'0');
    out += body;
  } else {
    out.append(static_cast<std::size_t>(fill), u' ');
    out += prefix;
    out += body;
  }
}

}  // namespace

std::u16string formatText(std::u16string_view format, std::initializer_list<FormatArg> args,
                          std::size_t maxChars) {
  std::vector<const FormatArg*> list;
  for (const FormatArg& a : args) list.push_back(&a);
  std::size_t next = 0;
  auto take = [&]() -> const FormatArg* { return next < list.size() ? list[next++] : nullptr; };

  std::u16string out;
  const std::size_t guard = maxChars + 64;
  std::size_t i = 0;
  while (i < format.size() && out.size() < guard) {
    char16_t c = format[i++];
    if (c != u'%') {
      out += c;
      continue;
    }
    if (i >= format.size()) break;
    if (format[i] == u'%') {
      out += u'%';
      ++i;
      continue;
    }
    Spec s;
    for (; i < format.size(); ++i) {
      char16_t f = format[i];
      if (f == u'-') s.left = true;
      else if (f == u'0') s.zero = true;
      else if (f == u'+') s.plus = true;
      else if (f == u' ') s.blank = true;
      else if (f == u'#') s.alternate = true;
      else break;
    }
    auto readNumber = [&](int& target) {
      if (i < format.size() && format[i] == u'*') {
        ++i;
        const FormatArg* a = take();
        target = (a && a->kind == FormatArg::Kind::Number) ? static_cast<int>(a->number) : 0;
        if (&target == &s.width && target < 0) { s.left = true; target = -target; }
        return;
      }
      int v = 0;
      while (i < format.size() && format[i] >= u'0' && format[i] <= u'9') {
        if (v < 100000) v = v * 10 + (format[i] - u'0');
        ++i;
      }
      target = v;
    };
    readNumber(s.width);
    if (i < format.size() && format[i] == u'.') {
      ++i;
      readNumber(s.precision);
      if (s.precision < 0) s.precision = -1;
    }
    // Width and precision are bounded so no format can ask for a huge text.
    if (s.width > static_cast<int>(maxChars)) s.width = static_cast<int>(maxChars);
    if (s.precision > static_cast<int>(maxChars)) s.precision = static_cast<int>(maxChars);
    // Length modifiers are accepted and ignored: the argument's own kind decides.
    while (i < format.size() && (format[i] == u'l' || format[i] == u'h' || format[i] == u'z' ||
                                 format[i] == u'j' || format[i] == u't' || format[i] == u'L' ||
                                 format[i] == u'I' || format[i] == u'q'))
      ++i;
    if (i >= format.size()) break;
    char16_t conv = format[i++];
    const FormatArg* a = nullptr;
    switch (conv) {
      case u'd':
      case u'i': {
        a = take();
        if (!a || a->kind != FormatArg::Kind::Number) break;
        std::int64_t v = static_cast<std::int32_t>(a->number);
        if (a->number > INT32_MAX || a->number < INT32_MIN) v = a->number;
        std::u16string prefix = v < 0 ? u"-" : s.plus ? u"+" : s.blank ? u" " : u"";
        std::uint64_t mag = v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
        pad(out, prefix, digits(mag, 10, false), s, true);
        break;
      }
      case u'u':
      case u'x':
      case u'X':
      case u'o': {
        a = take();
        if (!a || a->kind != FormatArg::Kind::Number) break;
        std::uint64_t v = static_cast<std::uint64_t>(a->number);
        if (a->number >= INT32_MIN && a->number <= static_cast<std::int64_t>(UINT32_MAX))
          v = static_cast<std::uint32_t>(a->number);
        unsigned base = conv == u'u' ? 10 : conv == u'o' ? 8 : 16;
        std::u16string prefix;
        if (s.alternate && v != 0 && base == 16) prefix = conv == u'X' ? u"0X" : u"0x";
        if (s.alternate && base == 8) prefix = u"0";
        pad(out, prefix, digits(v, base, conv == u'X'), s, true);
        break;
      }
      case u'c': {
        a = take();
        if (!a || a->kind != FormatArg::Kind::Number) break;
        pad(out, u"", std::u16string(1, static_cast<char16_t>(a->number)), s, false);
        break;
      }
      case u's':
      case u'S': {
        a = take();
        if (!a || a->kind != FormatArg::Kind::Text) break;
        std::u16string_view t = a->text;
        if (s.precision >= 0 && static_cast<std::size_t>(s.precision) < t.size())
          t = t.substr(0, static_cast<std::size_t>(s.precision));
        if (t.size() > guard) t = t.substr(0, guard);
        pad(out, u"", std::u16string(t), s, false);
        break;
      }
      case u'n':
        // Never writes anywhere; it consumes nothing.
        break;
      default:
        // An unknown conversion prints as it stands.
        out += u'%';
        out += conv;
        break;
    }
  }
  if (out.size() > maxChars) out.resize(maxChars);
  return out;
}

}  // namespace nibblet
