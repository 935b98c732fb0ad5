#include "core/browser/wildcard.h"

#include <gtest/gtest.h>

namespace nibblet {
namespace {

TEST(MatchWildcard, MatchesByTheTable) {
  struct Case {
    const char16_t* pattern;
    const char16_t* name;
    bool matches;
  };
  const Case cases[] = {
      {u"*.*", u"readme", true},  // "*.*" also takes names without a dot
      {u"*.*", u"a.b.c", true},
      {u"*.*", u"", true},
      {u"*.txt", u"a.txt", true},
      {u"*.txt", u"a.txt.bak", false},
      {u"*.txt", u"a.txt.txt", true},  // a mismatch after the first ".txt" retries further on
      {u"*.txt", u".txt", true},
      {u"*.txt", u"atxt", false},
      {u"a?c", u"abc", true},
      {u"a?c", u"ac", false},
      {u"a?c", u"abbc", false},
      {u"?", u"", false},
      {u"ab*", u"ab", true},  // a trailing "*" also matches nothing
      {u"ab*", u"abxyz", true},
      {u"ab**", u"ab", true},
      {u"a*b*c", u"aXbYbZc", true},
      {u"a*b*c", u"aXbYbZ", false},
      {u"abc", u"ab", false},
      {u"ab", u"abc", false},
      {u"", u"", true},
      {u"", u"a", false},
      {u"*", u"", true},
      {u"*a", u"bbba", true},
      {u"*ab", u"aab", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(matchWildcard(c.pattern, c.name), c.matches)
        << "pattern " << std::u16string(c.pattern).size() << " chars, case index "
        << (&c - cases);
  }
}

TEST(MatchWildcard, FilterIsLowerCasedAndSplitAtSemicolons) {
  EXPECT_TRUE(splitPatterns(u"").empty());
  auto patterns = splitPatterns(u"*.TXT;*.Bin");
  ASSERT_EQ(patterns.size(), 2u);
  EXPECT_EQ(patterns[0], u"*.txt");
  EXPECT_EQ(patterns[1], u"*.bin");

  // Names are lower-cased by the caller, so capitals match a lower-case pattern.
  EXPECT_TRUE(matchesAnyPattern(splitPatterns(u"*.txt"), u"a.txt"));
  EXPECT_FALSE(matchWildcard(u"*.txt", u"A.TXT"));
  EXPECT_TRUE(matchesAnyPattern(patterns, u"x.bin"));
  EXPECT_FALSE(matchesAnyPattern(patterns, u"x.dat"));
  EXPECT_FALSE(matchesAnyPattern({}, u"x.dat"));
}

}  // namespace
}  // namespace nibblet
