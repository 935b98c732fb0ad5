#include "core/view/hex_pairs.h"

#include <gtest/gtest.h>

#include <vector>

namespace nibblet {
namespace {

std::vector<std::uint8_t> parse(std::u16string_view text, std::size_t maximum = 514) {
  std::vector<std::uint8_t> out(maximum);
  out.resize(parseHexPairs(text, out.data(), maximum));
  return out;
}

TEST(ParseHexPairs, ReadsPairsLikeABase16StringToLong) {
  struct Case {
    std::u16string_view text;
    std::vector<std::uint8_t> bytes;
  } cases[] = {
      {u"", {}},
      {u"   ", {}},
      {u"4", {}},                   // a lone digit is dropped
      {u"41", {0x41}},
      {u"4 1", {0x41}},             // a blank between the digits of a pair
      {u"  4  1  ", {0x41}},
      {u"41 42 43", {0x41, 0x42, 0x43}},
      {u"ABC", {0xAB}},             // the lone C is dropped
      {u"ff00Fa", {0xFF, 0x00, 0xFA}},
      {u"1G", {0x01}},              // the longest valid prefix counts
      {u"G1", {0x00}},
      {u"-1", {0xFF}},              // a sign is read, the low 8 bits kept
      {u"+5", {0x05}},
      {u"\t7", {0x07}},             // other white space only as the conversion skips it
      {u"0x", {0x00}},
  };
  for (const Case& c : cases) EXPECT_EQ(parse(c.text), c.bytes) << std::string(c.text.begin(), c.text.end());
}

TEST(ParseHexPairs, StopsAtTheMaximum) {
  EXPECT_EQ(parse(u"010203", 2), (std::vector<std::uint8_t>{1, 2}));
  EXPECT_EQ(parse(u"010203", 0), std::vector<std::uint8_t>{});
}

TEST(AppendHexPairs, WritesUpperCasePairsWhileTheyFit) {
  const std::uint8_t bytes[] = {0x0A, 0xFF, 0x10};
  std::u16string text;
  EXPECT_EQ(appendHexPairs(text, bytes, 3, 513), 3u);
  EXPECT_EQ(text, u"0AFF10");
  text = u"XY";
  EXPECT_EQ(appendHexPairs(text, bytes, 3, 7), 2u);  // room for two pairs behind "XY"
  EXPECT_EQ(text, u"XY0AFF");
}

}  // namespace
}  // namespace nibblet
