#include "core/browser/entry_texts.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace nibblet {
namespace {

TEST(SizeText, EveryThresholdInDecimalUnits) {
  struct Case {
    std::uint64_t size;
    const char16_t* text;
  };
  const Case cases[] = {
      {0, u"0"},
      {9999, u"9999"},
      {10000, u"10KB"},
      {10999, u"10KB"},
      {999999, u"999KB"},
      {1000000, u"1,000KB"},
      {1002003, u"1,002KB"},
      {1234567, u"1,234KB"},
      {99999999, u"99,999KB"},
      {100000000, u"100MB"},
      {123456789, u"123MB"},
      {0xFFFFFFFFull, u"4294MB"},
      {0x100000000ull, u"4294MB"},  // past 32 bits the size is not wrapped around
      {5000000000ull, u"5000MB"},
  };
  for (const Case& c : cases) EXPECT_EQ(sizeText(c.size), c.text) << c.size;
}

TEST(DateText, LocalTimeWithZeroPaddedFields) {
  const char* old = std::getenv("TZ");
  std::string saved = old ? old : "";
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  EXPECT_EQ(dateText(0), u"1970-01-01 00:00:00");
  EXPECT_EQ(dateText(1700000000), u"2023-11-14 22:13:20");
  EXPECT_EQ(dateText(-62135596800), u"0001-01-01 00:00:00");  // every place padded
  EXPECT_EQ(dateText(253402300800), u"10000-01-01 00:00:00");
  ::setenv("TZ", "UTC-2", 1);  // two hours east of Greenwich
  ::tzset();
  EXPECT_EQ(dateText(1700000000), u"2023-11-15 00:13:20");
  if (old) {
    ::setenv("TZ", saved.c_str(), 1);
  } else {
    ::unsetenv("TZ");
  }
  ::tzset();
}

}  // namespace
}  // namespace nibblet
