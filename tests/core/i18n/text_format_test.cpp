#include "core/i18n/text_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "core/platform/unicode.h"

namespace nibblet {
namespace {

TEST(FormatText, FormatsNumbersLikePrintf) {
  struct Case {
    std::u16string_view format;
    std::int64_t value;
    std::u16string_view expected;
  } cases[] = {
      {u"%d", 0, u"0"},
      {u"%d", -1, u"-1"},
      {u"%d", INT32_MIN, u"-2147483648"},
      {u"%d", 4294967295LL, u"4294967295"},
      {u"%d", INT64_MIN, u"-9223372036854775808"},
      {u"%5d|%-5d|%05d", 42, u"   42||"},  // the later conversions lack arguments
      {u"%+d % d", 7, u"+7 "},
      {u"%.3d", 7, u"007"},
      {u"%.0d", 0, u""},
      {u"%X", -1, u"FFFFFFFF"},
      {u"%x", 0xABCDEF, u"abcdef"},
      {u"%02X", 5, u"05"},
      {u"%02X", 0xFF, u"FF"},
      {u"%#x", 255, u"0xff"},
      {u"%#X", 0, u"0"},
      {u"%#o", 8, u"010"},
      {u"%#o", 0, u"0"},
      {u"%u", -2, u"4294967294"},
      {u"%lu %I64d %hhd", 3, u"3  "},
      {u"%c", 0x41, u"A"},
      {u"100%%", 1, u"100%"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(formatText(c.format, {c.value}), c.expected) << toUtf8(c.format);
  EXPECT_EQ(formatText(u"Goto (0x%X-0x%X)", {0, 0xFF0}), u"Goto (0x0-0xFF0)");
  EXPECT_EQ(formatText(u"%*d|%-*d|%.*d", {4, 1, -3, 2, 2, 3}), u"   1|2  |03");
}

TEST(FormatText, FormatsTexts) {
  EXPECT_EQ(formatText(u"File %s open error (%d).", {u"/a b/\u00e4.bin", 2}),
            u"File /a b/\u00e4.bin open error (2).");
  EXPECT_EQ(formatText(u"[%5s][%-5s][%.2s][%.*s]", {u"ab", u"ab", u"abc", 1, u"xyz"}),
            u"[   ab][ab   ][ab][x]");
  EXPECT_EQ(formatText(u"%S", {u""}), u"");
  EXPECT_EQ(formatText(u"no conversions", {u"unused", 1}), u"no conversions");
}

TEST(FormatText, MismatchedOrMissingArgumentsPrintNothingAndKeepTheirPlaces) {
  // A text where a number is passed, and a number where a text is passed.
  EXPECT_EQ(formatText(u"<%s> <%d>", {5, u"x"}), u"<> <>");
  // The mismatched argument is used up, so the next conversion still gets its own.
  EXPECT_EQ(formatText(u"%s-%d", {1, 2}), u"-2");
  EXPECT_EQ(formatText(u"%f %d", {1, 2}), u" 2");
  EXPECT_EQ(formatText(u"%p%d", {u"x", 3}), u"3");
  // More conversions than arguments.
  EXPECT_EQ(formatText(u"%d %d %d %d %d %d %d %d %d %d", {1, 2}), u"1 2        ");
  // %n writes nothing and takes nothing.
  EXPECT_EQ(formatText(u"a%nb%d", {9}), u"ab9");
  // A star whose argument is a text counts as no width.
  EXPECT_EQ(formatText(u"[%*d]", {u"x", 4}), u"[4]");
  EXPECT_EQ(formatText(u"[%.*s]", {u"x", u"abc"}), u"[]");
  // A negative precision from a star counts as none.
  EXPECT_EQ(formatText(u"[%.*s]", {-1, u"abc"}), u"[abc]");
  // Unknown conversions and a lone % at the end print as they stand.
  EXPECT_EQ(formatText(u"%y %1$s %", {1}), u"%y %$s ");
  EXPECT_EQ(formatText(u"", {1}), u"");
}

TEST(FormatText, NeverGrowsPastTheLimit) {
  EXPECT_EQ(formatText(u"%999999d", {1}).size(), 1023u);
  EXPECT_EQ(formatText(u"%-99999999999999999999d|", {1}).size(), 1023u);
  EXPECT_EQ(formatText(u"%.999999d", {1}, 10), u"0000000001");
  EXPECT_EQ(formatText(u"%*d", {INT64_MIN, 1}, 8), u"1       ");
  EXPECT_EQ(formatText(u"%*d", {INT32_MIN, 1}).size(), 1023u);
  std::u16string longText(5000, u'x');
  EXPECT_EQ(formatText(u"%s%s%s", {longText, longText, longText}).size(), 1023u);
  EXPECT_EQ(formatText(std::u16string(3000, u'y'), {}).size(), 1023u);
  EXPECT_EQ(formatText(u"abc", {}, 0), u"");
  EXPECT_EQ(formatText(u"abcdef", {}, 3), u"abc");
  // A cut never splits a surrogate pair; a text that fits is left whole.
  EXPECT_EQ(formatText(u"ab\U0001F600", {}, 3), u"ab");
  EXPECT_EQ(formatText(u"ab\U0001F600", {}, 4), u"ab\U0001F600");
  // A huge limit is bounded too.
  EXPECT_EQ(formatText(u"%999999999d", {1}, SIZE_MAX).size(), std::size_t{1} << 20);
}

}  // namespace
}  // namespace nibblet
