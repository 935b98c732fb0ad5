// Float texts checked against the C library: strtof/strtod read every text back to the same bits,
// printf's %a writes the value the table expects, and no %.Ng text that reads back is shorter.

#include "core/inspect/float_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "core/platform/unicode.h"

namespace nibblet {
namespace {

// The length of the shortest text printf's %.Ng writes (N from 1 to 17) that reads back to
// `value`.
template <typename Float>
std::size_t shortestPrintf(Float value) {
  char buffer[64];
  std::size_t best = 64;
  for (int digits = 1; digits <= 17; ++digits) {
    std::snprintf(buffer, sizeof buffer, "%.*g", digits, static_cast<double>(value));
    Float back = sizeof(Float) == 4 ? static_cast<Float>(std::strtof(buffer, nullptr)) : static_cast<Float>(std::strtod(buffer, nullptr));
    if (back == value && std::signbit(back) == std::signbit(value)) best = std::min(best, std::strlen(buffer));
  }
  return best;
}

std::string hexFloat(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%a", value);
  return buffer;
}

// The text of `bits` reads back to the same bits, printf's %a writes `hex` for it (when given),
// and no shorter %.Ng text reads back.
template <typename Float, typename Bits>
void expectMatchesCLibrary(Bits bits, const char* hex = nullptr) {
  const std::string text = toUtf8(sizeof(Float) == 4 ? floatText(static_cast<std::uint32_t>(bits)) : doubleText(bits));
  const Float back = sizeof(Float) == 4 ? static_cast<Float>(std::strtof(text.c_str(), nullptr))
                                        : static_cast<Float>(std::strtod(text.c_str(), nullptr));
  EXPECT_EQ(std::bit_cast<Bits>(back), bits) << text;
  if (hex) EXPECT_EQ(hexFloat(back), hex) << text;
  EXPECT_LE(text.size(), shortestPrintf(back)) << text;
}

TEST(FloatText, FiniteValuesMatchTheCLibrary) {
  expectMatchesCLibrary<float, std::uint32_t>(0x00000000, "0x0p+0");
  expectMatchesCLibrary<float, std::uint32_t>(0x80000000, "-0x0p+0");
  expectMatchesCLibrary<float, std::uint32_t>(0x3DCCCCCD, "0x1.99999ap-4");
  expectMatchesCLibrary<float, std::uint32_t>(0x00000001, "0x1p-149");
  expectMatchesCLibrary<float, std::uint32_t>(0x007FFFFF, "0x1.fffffcp-127");
  expectMatchesCLibrary<float, std::uint32_t>(0x00800000, "0x1p-126");
  expectMatchesCLibrary<float, std::uint32_t>(0x7F7FFFFF, "0x1.fffffep+127");
  expectMatchesCLibrary<float, std::uint32_t>(0x4B800000, "0x1p+24");
  expectMatchesCLibrary<float, std::uint32_t>(0xBF800001, "-0x1.000002p+0");
  expectMatchesCLibrary<double, std::uint64_t>(0x8000000000000000, "-0x0p+0");
  expectMatchesCLibrary<double, std::uint64_t>(0x3FB999999999999A, "0x1.999999999999ap-4");
  expectMatchesCLibrary<double, std::uint64_t>(0x0000000000000001, "0x0.0000000000001p-1022");
  expectMatchesCLibrary<double, std::uint64_t>(0x000FFFFFFFFFFFFF, "0x0.fffffffffffffp-1022");
  expectMatchesCLibrary<double, std::uint64_t>(0x0010000000000000, "0x1p-1022");
  expectMatchesCLibrary<double, std::uint64_t>(0x7FEFFFFFFFFFFFFF, "0x1.fffffffffffffp+1023");
  expectMatchesCLibrary<double, std::uint64_t>(0x4340000000000000, "0x1p+53");
  expectMatchesCLibrary<double, std::uint64_t>(0x400921FB54442D18, "0x1.921fb54442d18p+1");
  EXPECT_EQ(floatText(0x80000000), u"-0");
  EXPECT_EQ(doubleText(0x0000000000000001), u"5e-324");
}

TEST(FloatText, RandomBitsAreShortestAndReadBack) {
  std::mt19937_64 random(21);
  for (int i = 0; i < 10000; ++i) {
    const auto f = static_cast<std::uint32_t>(random());
    const std::uint64_t d = random();
    if ((f & 0x7F800000) != 0x7F800000) expectMatchesCLibrary<float>(f);
    if ((d & 0x7FF0000000000000) != 0x7FF0000000000000) expectMatchesCLibrary<double>(d);
    if (HasFailure()) return;
    // Every pattern, NaNs included, reads back from its own text.
    std::uint32_t f2 = 0;
    std::uint64_t d2 = 0;
    ASSERT_TRUE(parseFloatText(floatText(f), f2));
    ASSERT_TRUE(parseDoubleText(doubleText(d), d2));
    ASSERT_EQ(f2, f);
    ASSERT_EQ(d2, d);
  }
}

TEST(FloatText, InfinitiesAndNaNsKeepTheirSignAndPayload) {
  struct Case {
    std::uint32_t bits;
    std::u16string text;
  } cases[] = {
      {0x7F800000, u"inf"},        {0xFF800000, u"-inf"},           {0x7FC00000, u"nan"},
      {0xFFC00000, u"-nan"},       {0x7FC00001, u"nan(0x1)"},       {0x7FFFFFFF, u"nan(0x3fffff)"},
      {0x7F800001, u"snan(0x1)"},  {0xFFBFFFFF, u"-snan(0x3fffff)"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(floatText(c.bits), c.text);
    std::uint32_t back = 0;
    EXPECT_TRUE(parseFloatText(c.text, back));
    EXPECT_EQ(back, c.bits);
  }
  EXPECT_EQ(doubleText(0x7FF8000000000000), u"nan");
  EXPECT_EQ(doubleText(0xFFF0000000000001), u"-snan(0x1)");
  EXPECT_EQ(doubleText(0x7FFFFFFFFFFFFFFF), u"nan(0x7ffffffffffff)");
  std::uint32_t f = 0;
  EXPECT_TRUE(parseFloatText(u" -Infinity ", f));
  EXPECT_EQ(f, 0xFF800000u);
  EXPECT_TRUE(parseFloatText(u"NaN", f));
  EXPECT_EQ(f, 0x7FC00000u);
}

TEST(FloatText, TextsThatDoNotFitAreRefused) {
  std::uint32_t f = 7;
  std::uint64_t d = 7;
  // Out of range for the type: to infinity, or from a nonzero number to zero.
  for (const char16_t* text : {u"1e39", u"3.4028236e38", u"1e-46", u"-1e-46"}) {
    EXPECT_FALSE(parseFloatText(text, f)) << toUtf8(text);
  }
  EXPECT_TRUE(parseDoubleText(u"1e39", d));
  for (const char16_t* text : {u"1e309", u"1e-400"}) EXPECT_FALSE(parseDoubleText(text, d)) << toUtf8(text);
  // Not numbers as written.
  for (const char16_t* text : {u"", u"1e", u"0x10", u"1,5", u"--1", u"+-1", u"nan(0x400000)", u"snan(0x0)",
                               u"nan(1)", u"snan", u"infinit", u"1.5f", u"\u0661"}) {
    EXPECT_FALSE(parseFloatText(text, f)) << toUtf8(text);
  }
  EXPECT_EQ(f, 7u);
  // What does fit: rounding to the nearest value, a denormal, a signed zero.
  EXPECT_TRUE(parseFloatText(u"3.40282356e38", f));
  EXPECT_EQ(f, 0x7F7FFFFFu);
  EXPECT_TRUE(parseFloatText(u"1e-45", f));
  EXPECT_EQ(f, 0x00000001u);
  EXPECT_TRUE(parseFloatText(u"-0.0", f));
  EXPECT_EQ(f, 0x80000000u);
  EXPECT_TRUE(parseDoubleText(u"+.5E1", d));
  EXPECT_EQ(d, std::bit_cast<std::uint64_t>(5.0));
}

}  // namespace
}  // namespace nibblet
