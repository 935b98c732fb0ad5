#include "core/platform/unicode.h"

#include <gtest/gtest.h>

namespace nibblet {
namespace {

TEST(Unicode, RoundTripsEveryPlaneAndReplacesBrokenInput) {
  std::u16string text = u"a\u00e9\u4e2d\U0001F600z";
  EXPECT_EQ(fromUtf8(toUtf8(text)), text);
  EXPECT_EQ(toUtf8(u"\u00e9"), "\xC3\xA9");
  // A lone surrogate and truncated or overlong sequences never pass through unchanged.
  EXPECT_EQ(toUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
  EXPECT_EQ(fromUtf8("\xC3"), u"\uFFFD");
  EXPECT_EQ(fromUtf8("\xC0\x80"), u"\uFFFD\uFFFD");
  EXPECT_EQ(fromUtf8("\xE2\x82"), u"\uFFFD\uFFFD");
}

TEST(Unicode, FoldsCaseForPathComparison) {
  EXPECT_TRUE(equalsIgnoringCase(u"/A.BIN", u"/a.bin"));
  EXPECT_TRUE(equalsIgnoringCase(u"\u00c4RGER", u"\u00e4rger"));
  EXPECT_FALSE(equalsIgnoringCase(u"/a.bin", u"/a.bi"));
  EXPECT_EQ(toLower(u"\u00d7"), u"\u00d7");  // the multiplication sign has no lower case
}

TEST(Unicode, BoundedLengthStopsAtTheBuffer) {
  char16_t full[4] = {u'a', u'b', u'c', u'd'};
  EXPECT_EQ(boundedLength(full, 4), 4u);
  char16_t shortText[4] = {u'a', 0, u'c', u'd'};
  EXPECT_EQ(boundedLength(shortText, 4), 1u);
}

}  // namespace
}  // namespace nibblet
