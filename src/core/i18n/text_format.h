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

// Formats like swprintf with the conversions %d %i %u %x %X %o %c %C %s %S and %%, with flags
// (- 0 + blank #), width and precision (also given as *, which takes the next argument).
//
// - Each conversion takes the next argument. When that argument is of the wrong kind, or
//   there is none, the conversion prints nothing; the argument is still used up, so the ones
//   after it keep their places.
// - %d prints a number's full value; %u %x %X %o print numbers in 32-bit range as unsigned
//   32-bit values (so -1 prints as ffffffff), as the program's 32-bit offsets expect.
// - Floating-point and pointer conversions (%e %f %g %a %p and their capitals) use up their
//   argument and print nothing; %n prints nothing and uses up nothing. Any other character
//   after % prints as it stands. Length modifiers (h l ll L z j t I I32 I64 q) are ignored.
// - `maxChars` above 1,048,576 counts as that.
// - Widths and precisions are clamped to `maxChars`; the result is cut to `maxChars` UTF-16
//   units, never inside a surrogate pair.
std::u16string formatText(std::u16string_view format, std::initializer_list<FormatArg> args,
                          std::size_t maxChars = 1023);

}  // namespace nibblet
