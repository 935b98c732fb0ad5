#pragma once
// printf-style formatting of UTF-16 texts whose formats come from resource files. Formats are
// data that anyone can edit, so every conversion is checked against the argument actually
// passed: a conversion that does not fit its argument (or has none) prints nothing, and %n
// prints nothing, so no format can read or write memory it should not.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace nibblet {

struct FormatArg {
  enum class Kind { Number, Text };
  Kind kind;
  std::int64_t number = 0;
  std::u16string_view text;

  FormatArg(int v) : kind(Kind::Number), number(v) {}
  FormatArg(unsigned v) : kind(Kind::Number), number(v) {}
  FormatArg(long v) : kind(Kind::Number), number(v) {}
  FormatArg(unsigned long v) : kind(Kind::Number), number(static_cast<std::int64_t>(v)) {}
  FormatArg(long long v) : kind(Kind::Number), number(v) {}
  FormatArg(unsigned long long v) : kind(Kind::Number), number(static_cast<std::int64_t>(v)) {}
  FormatArg(std::u16string_view v) : kind(Kind::Text), text(v) {}
  FormatArg(const std::u16string& v) : kind(Kind::Text), text(v) {}
  FormatArg(const char16_t* v) : kind(Kind::Text), text(v ? v : u"") {}
};

// Formats like swprintf with the conversions %d %i %u %x %X %o %c %s %S and %%, with flags
// (- 0 + blank #), width and precision (also given as *). The result is cut to `maxChars`.
std::u16string formatText(std::u16string_view format, std::initializer_list<FormatArg> args,
                          std::size_t maxChars = 1023);

}  // namespace nibblet
