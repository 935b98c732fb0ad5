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

TEST(Unicode, FoldsEveryScriptByItsOwnPairs) {
  // Latin Extended-A pairs odd with even from U+0139 to U+0148 and from U+0179 to U+017E.
  EXPECT_TRUE(equalsIgnoringCase(u"\u0139", u"\u013a"));
  EXPECT_FALSE(equalsIgnoringCase(u"\u013a", u"\u013b"));
  EXPECT_TRUE(equalsIgnoringCase(u"\u0147", u"\u0148"));
  EXPECT_FALSE(equalsIgnoringCase(u"\u0148", u"\u0149"));
  EXPECT_TRUE(equalsIgnoringCase(u"\u017d", u"\u017e"));
  EXPECT_TRUE(equalsIgnoringCase(u"\u0178", u"\u00ff"));  // Y with diaeresis lives in Latin-1
  EXPECT_FALSE(equalsIgnoringCase(u"\u0178", u"\u0179"));
  // Scripts beyond Greek and Cyrillic, and a pair outside the first 64K (Deseret).
  EXPECT_TRUE(equalsIgnoringCase(u"\u0531\u0532", u"\u0561\u0562"));  // Armenian
  EXPECT_TRUE(equalsIgnoringCase(u"\u10a0", u"\u2d00"));                // Georgian
  EXPECT_TRUE(equalsIgnoringCase(u"\u1e9e", u"\u00df"));                // capital sharp s
  EXPECT_TRUE(equalsIgnoringCase(u"\U00010400", u"\U00010428"));
  EXPECT_EQ(toLower(u"\u0130"), u"\u0130");  // dotted I has no one-letter folding
  // The folded text keeps its length, and a lone surrogate passes through.
  std::u16string broken = u"A";
  broken += char16_t(0xD801);
  EXPECT_EQ(toLower(broken), u"a" + std::u16string(1, char16_t(0xD801)));
  EXPECT_EQ(toLower(u"\U00010400x").size(), 3u);
}

TEST(Unicode, BoundedLengthStopsAtTheBuffer) {
  char16_t full[4] = {u'a', u'b', u'c', u'd'};
  EXPECT_EQ(boundedLength(full, 4), 4u);
  char16_t shortText[4] = {u'a', 0, u'c', u'd'};
  EXPECT_EQ(boundedLength(shortText, 4), 1u);
}

}  // namespace
}  // namespace nibblet
