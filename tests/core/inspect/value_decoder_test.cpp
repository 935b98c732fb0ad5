// The rows of the values panel: integers in both byte orders, every kind at the last bytes of a
// file, the UTF-8 and UTF-16 rules against ICU, the dates against gmtime, and the round trip of
// every kind: the editor's text of a value encodes to the same bytes.

#include "core/inspect/value_decoder.h"

#include <gtest/gtest.h>
#include <unicode/utf8.h>

#include <bit>
#include <cstring>
#include <ctime>
#include <random>
#include <string>

#include "core/i18n/string_module.h"
#include "core/inspect/utf_sequence.h"
#include "core/platform/unicode.h"

namespace nibblet {
namespace {

constexpr ByteOrder kOrders[] = {ByteOrder::Little, ByteOrder::Big};

struct Decoder {
  Texts texts;
  ValueDecoder decoder{texts};
  std::string text(ValueKind kind, std::vector<std::uint8_t> bytes, ByteOrder order = ByteOrder::Little) {
    return toUtf8(decoder.text(kind, bytes.data(), bytes.size(), order));
  }
  // The row of `kind` for `value` written little endian in the kind's width.
  std::string textOf(ValueKind kind, std::uint64_t value) {
    std::vector<std::uint8_t> bytes(ValueDecoder::width(kind));
    writeUnsigned(value, bytes.size(), ByteOrder::Little, bytes.data());
    return text(kind, bytes);
  }
};

// gmtime's "YYYY-MM-DD hh:mm:ss" of `seconds` from 1970.
std::string gmtimeText(std::int64_t seconds) {
  std::time_t t = static_cast<std::time_t>(seconds);
  std::tm parts{};
  gmtime_r(&t, &parts);
  char buffer[40];
  std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &parts);
  return buffer;
}

TEST(ValueDecoder, IntegersInBothByteOrders) {
  Decoder d;
  const std::vector<std::uint8_t> bytes{0xF1, 0x02, 0x83, 0x04, 0x05, 0x06, 0x07, 0x88};
  std::uint64_t native;
  std::memcpy(&native, bytes.data(), 8);  // the machine is little-endian
  ASSERT_EQ(native & 0xFF, 0xF1u);
  const std::uint64_t big = __builtin_bswap64(native);
  struct Case {
    ValueKind kind;
    std::string little, big;
  } cases[] = {
      {ValueKind::UInt8, "241", "241"},
      {ValueKind::Int8, "-15", "-15"},
      {ValueKind::UInt16, std::to_string(std::uint16_t(native)), std::to_string(std::uint16_t(big >> 48))},
      {ValueKind::Int16, std::to_string(std::int16_t(native)), std::to_string(std::int16_t(big >> 48))},
      {ValueKind::UInt32, std::to_string(std::uint32_t(native)), std::to_string(std::uint32_t(big >> 32))},
      {ValueKind::Int32, std::to_string(std::int32_t(native)), std::to_string(std::int32_t(big >> 32))},
      {ValueKind::UInt64, std::to_string(native), std::to_string(big)},
      {ValueKind::Int64, std::to_string(std::int64_t(native)), std::to_string(std::int64_t(big))},
      {ValueKind::Binary, "1111 0001", "1111 0001"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(d.text(c.kind, bytes, ByteOrder::Little), c.little) << int(c.kind);
    EXPECT_EQ(d.text(c.kind, bytes, ByteOrder::Big), c.big) << int(c.kind);
  }
  EXPECT_EQ(d.text(ValueKind::Int64, {0, 0, 0, 0, 0, 0, 0, 0x80}), "-9223372036854775808");
  EXPECT_EQ(d.text(ValueKind::Float32, {0x3F, 0x80, 0, 0}, ByteOrder::Big), "1");
  EXPECT_EQ(d.text(ValueKind::Utf16, {0x00, 0x41}, ByteOrder::Big), "A U+0041, 2 bytes");
}

TEST(ValueDecoder, EveryKindAtTheLastBytesOfTheFile) {
  Decoder d;
  const std::vector<std::uint8_t> file{0x00, 0x00, 0x21, 0x00, 0x41, 0x00, 0x00, 0x00};  // a value of every kind
  for (int k = 0; k < kValueKindCount; ++k) {
    const auto kind = static_cast<ValueKind>(k);
    const std::size_t width = ValueDecoder::width(kind);
    for (std::size_t left = 0; left <= 8; ++left) {
      const std::uint8_t* at = file.data() + (8 - left);
      const std::string text = toUtf8(d.decoder.text(kind, at, left, ByteOrder::Little));
      std::vector<std::uint8_t> out;
      const bool fits = ValueDecoder::encode(kind, ValueDecoder::editText(kind, file.data(), 8, ByteOrder::Little),
                                             ByteOrder::Little, left, out);
      if (left < width) {
        EXPECT_EQ(text, "needs " + std::to_string(width) + " bytes") << k << " " << left;
        EXPECT_EQ(ValueDecoder::valueBytes(kind, at, left, ByteOrder::Little), 0u);
        EXPECT_TRUE(ValueDecoder::editText(kind, at, left, ByteOrder::Little).empty());
        EXPECT_FALSE(fits) << k << " " << left;
      } else {
        EXPECT_EQ(text.find("needs"), std::string::npos) << k << " " << left;
        EXPECT_TRUE(fits) << k << " " << left;
        EXPECT_EQ(out.size(), width);
      }
    }
  }
  // A character that the end of the file cuts off, and one whose bytes the rest cannot hold.
  EXPECT_EQ(d.text(ValueKind::Utf8, {0xE2, 0x82}), "invalid: cut off by the end");
  EXPECT_EQ(d.text(ValueKind::Utf16, {0x3D, 0xD8}), "invalid: cut off by the end");
  std::vector<std::uint8_t> out;
  EXPECT_FALSE(ValueDecoder::encode(ValueKind::Utf8, u"€", ByteOrder::Little, 2, out));
  EXPECT_FALSE(ValueDecoder::encode(ValueKind::Utf16, u"😀", ByteOrder::Little, 3, out));
}

TEST(ValueDecoder, Utf8KindsOfInvalidSequences) {
  Decoder d;
  struct Case {
    std::vector<std::uint8_t> bytes;
    std::string text;
  } cases[] = {
      {{0x41}, "A U+0041, 1 byte"},
      {{0x0A}, "U+000A, 1 byte"},  // no visible form: the code point alone
      {{0xC3, 0xA9}, "é U+00E9, 2 bytes"},
      {{0xE2, 0x82, 0xAC}, "€ U+20AC, 3 bytes"},
      {{0xF0, 0x9F, 0x98, 0x80}, "😀 U+1F600, 4 bytes"},
      {{0xF4, 0x8F, 0xBF, 0xBF}, "U+10FFFF, 4 bytes"},
      {{0x80}, "invalid: continuation byte"},
      {{0xBF, 0x41}, "invalid: continuation byte"},
      {{0xF8, 0x80, 0x80, 0x80}, "invalid: no lead byte"},
      {{0xFF}, "invalid: no lead byte"},
      {{0xC3, 0x41}, "invalid: continuation missing"},
      {{0xE2, 0x82, 0xC0}, "invalid: continuation missing"},
      {{0xC0, 0x80}, "invalid: overlong form"},
      {{0xC1, 0xBF}, "invalid: overlong form"},
      {{0xE0, 0x9F, 0xBF}, "invalid: overlong form"},
      {{0xF0, 0x8F, 0xBF, 0xBF}, "invalid: overlong form"},
      {{0xED, 0xA0, 0x80}, "invalid: surrogate"},
      {{0xED, 0xBF, 0xBF}, "invalid: surrogate"},
      {{0xF4, 0x90, 0x80, 0x80}, "invalid: beyond U+10FFFF"},
      {{0xF7, 0xBF, 0xBF, 0xBF}, "invalid: beyond U+10FFFF"},
      {{0xF0, 0x9F, 0x98}, "invalid: cut off by the end"},
  };
  for (const Case& c : cases) EXPECT_EQ(d.text(ValueKind::Utf8, c.bytes), c.text);
}

TEST(ValueDecoder, Utf8AgreesWithIcuOnEverySequenceOfUpToThreeBytes) {
  std::uint8_t s[4] = {0, 0, 0, 0x41};
  auto check = [&](std::size_t length) {
    UtfCharacter mine = decodeUtf8(s, length);
    std::int32_t i = 0;
    UChar32 icu;
    U8_NEXT(s, i, static_cast<std::int32_t>(length), icu);
    if (icu < 0) {
      ASSERT_NE(mine.status, UtfStatus::Valid) << std::hex << int(s[0]) << " " << int(s[1]) << " " << int(s[2]);
    } else {
      ASSERT_EQ(mine.status, UtfStatus::Valid) << std::hex << int(s[0]) << " " << int(s[1]) << " " << int(s[2]);
      ASSERT_EQ(mine.codePoint, static_cast<char32_t>(icu));
      ASSERT_EQ(mine.length, static_cast<std::size_t>(i));
    }
  };
  for (int a = 0; a < 256; ++a) {
    s[0] = static_cast<std::uint8_t>(a);
    for (int b = 0; b < 256; ++b) {
      s[1] = static_cast<std::uint8_t>(b);
      check(2);
      if (a < 0xE0 || a > 0xF4) continue;
      for (int c = 0; c < 256; ++c) {
        s[2] = static_cast<std::uint8_t>(c);
        check(4);  // the fourth byte, A, ends what a four-byte lead starts
      }
    }
  }
}

TEST(ValueDecoder, Utf16PairsAndUnpairedSurrogates) {
  Decoder d;
  EXPECT_EQ(d.text(ValueKind::Utf16, {0x3D, 0xD8, 0x00, 0xDE}), "😀 U+1F600, 4 bytes");
  EXPECT_EQ(d.text(ValueKind::Utf16, {0xD8, 0x3D, 0xDE, 0x00}, ByteOrder::Big), "😀 U+1F600, 4 bytes");
  EXPECT_EQ(d.text(ValueKind::Utf16, {0x3D, 0xD8, 0x41, 0x00}), "invalid: unpaired surrogate");
  EXPECT_EQ(d.text(ValueKind::Utf16, {0x00, 0xDE, 0x3D, 0xD8}), "invalid: unpaired surrogate");
  EXPECT_EQ(d.text(ValueKind::Utf16, {0xAC, 0x20}), "€ U+20AC, 2 bytes");
  EXPECT_EQ(d.text(ValueKind::Utf16, {0x41}), "needs 2 bytes");
}

TEST(ValueDecoder, DatesAgreeWithGmtime) {
  Decoder d;
  std::mt19937 random(5);
  std::vector<std::int32_t> unixTimes{0, 1, -1, INT32_MIN, INT32_MAX, 951782400, 951868799};
  for (int i = 0; i < 2000; ++i) unixTimes.push_back(static_cast<std::int32_t>(random()));
  for (std::int32_t t : unixTimes) {
    for (ByteOrder order : kOrders) {
      std::vector<std::uint8_t> bytes(4);
      writeUnsigned(static_cast<std::uint32_t>(t), 4, order, bytes.data());
      ASSERT_EQ(d.text(ValueKind::UnixTime, bytes, order), gmtimeText(t) + " UTC") << t;
    }
  }
  // File times: 100 ns units since 1601, shown up to the end of 9999.
  std::mt19937_64 random64(9);
  const std::uint64_t last = (253402300800ull + 11644473600ull) * 10000000ull - 1;  // 9999-12-31 23:59:59.9999999
  for (int i = 0; i < 2000; ++i) {
    const std::uint64_t ticks = random64() % (last + 1) / 10000000 * 10000000;
    ASSERT_EQ(d.textOf(ValueKind::FileTime, ticks), gmtimeText(static_cast<std::int64_t>(ticks / 10000000) - 11644473600) + " UTC");
  }
  auto fileTime = [&](std::uint64_t ticks) { return d.textOf(ValueKind::FileTime, ticks); };
  EXPECT_EQ(fileTime(0), "1601-01-01 00:00:00 UTC");
  EXPECT_EQ(fileTime(116444736000000001), "1970-01-01 00:00:00.0000001 UTC");
  EXPECT_EQ(fileTime(116444736005000000), "1970-01-01 00:00:00.5 UTC");
  EXPECT_EQ(fileTime(last), "9999-12-31 23:59:59.9999999 UTC");
  EXPECT_EQ(fileTime(last + 1), "out of range");
  EXPECT_EQ(fileTime(0x8000000000000000), "out of range");
  EXPECT_EQ(fileTime(0xFFFFFFFFFFFFFFFF), "out of range");

  // DOS: the time in the low 16 bits, the date in the high 16.
  auto dos = [&](std::uint32_t value) { return d.textOf(ValueKind::DosTime, value); };
  EXPECT_EQ(dos(0x00210000), "1980-01-01 00:00:00");
  EXPECT_EQ(dos(0x58586A2F), "2024-02-24 13:17:30");
  EXPECT_EQ(dos(0xFF9FBF7D), "2107-12-31 23:59:58");
  EXPECT_EQ(dos(0x00000000), "invalid date");         // month 0
  EXPECT_EQ(dos(0x005E0000), "invalid date");         // 1980-02-30
  EXPECT_EQ(dos(0x18590000 | 0xC000), "invalid date");  // hour 24
  EXPECT_EQ(dos(0x00210000 | 0x001E), "invalid date");  // second 60
}

TEST(ValueDecoder, EditTextsEncodeToTheSameBytes) {
  std::mt19937_64 random(17);
  std::vector<std::vector<std::uint8_t>> samples;
  for (int i = 0; i < 3000; ++i) {
    std::vector<std::uint8_t> bytes(8);
    std::uint64_t r = random();
    std::memcpy(bytes.data(), &r, 8);
    samples.push_back(bytes);
  }
  // The float edge values in both widths: signed zeros, denormals, extremes, infinities, NaNs.
  for (std::uint64_t bits : {0x0ull, 0x80000000ull, 0x1ull, 0x7FFFFFull, 0x7F7FFFFFull, 0x7F800000ull, 0xFF800000ull,
                             0x7FC00000ull, 0xFFC00001ull, 0x7F800001ull, 0x8000000000000000ull, 0x000FFFFFFFFFFFFFull,
                             0x7FEFFFFFFFFFFFFFull, 0xFFF0000000000000ull, 0x7FF0000000000001ull, 0xFFF8000000000000ull}) {
    std::vector<std::uint8_t> bytes(8);
    writeUnsigned(bits, 8, ByteOrder::Little, bytes.data());
    samples.push_back(bytes);
    writeUnsigned(bits, 4, ByteOrder::Little, bytes.data());
    samples.push_back(bytes);
  }
  samples.push_back({0xF0, 0x9F, 0x98, 0x80, 0, 0, 0, 0});  // a four-byte character
  samples.push_back({0x3D, 0xD8, 0x00, 0xDE, 0, 0, 0, 0});  // a UTF-16 pair
  samples.push_back({0x20, 0, 0, 0, 0, 0, 0, 0});           // a blank: written as U+0020
  std::size_t encoded[kValueKindCount] = {};
  for (const auto& bytes : samples) {
    for (ByteOrder order : kOrders) {
      for (int k = 0; k < kValueKindCount; ++k) {
        const auto kind = static_cast<ValueKind>(k);
        const std::u16string text = ValueDecoder::editText(kind, bytes.data(), 8, order);
        if (text.empty()) continue;  // no value there (an invalid character, an invalid DOS date)
        std::vector<std::uint8_t> out;
        ASSERT_TRUE(ValueDecoder::encode(kind, text, order, 8, out)) << k << " " << toUtf8(text);
        ASSERT_EQ(out.size(), ValueDecoder::valueBytes(kind, bytes.data(), 8, order));
        ASSERT_TRUE(std::equal(out.begin(), out.end(), bytes.begin())) << k << " " << toUtf8(text);
        ++encoded[k];
      }
    }
  }
  for (int k = 0; k < kValueKindCount; ++k) EXPECT_GT(encoded[k], 20u) << k;  // every kind was tried
}

TEST(ValueDecoder, TypedValuesThatDoNotFitAreRefused) {
  struct Case {
    ValueKind kind;
    const char16_t* text;
  } refused[] = {
      {ValueKind::UInt8, u"256"},   {ValueKind::UInt8, u"-1"},    {ValueKind::Int8, u"128"},
      {ValueKind::Int8, u"-129"},   {ValueKind::UInt16, u"0x10000"}, {ValueKind::Int32, u"2147483648"},
      {ValueKind::UInt64, u"18446744073709551616"}, {ValueKind::Int64, u"-9223372036854775809"},
      {ValueKind::UInt32, u"1.5"},  {ValueKind::UInt32, u""},     {ValueKind::Int16, u"- 1"},
      {ValueKind::Int16, u"--1"},   {ValueKind::Binary, u"102"},  {ValueKind::Binary, u"1 0000 0000"},
      {ValueKind::Binary, u""},     {ValueKind::Float32, u"1e39"}, {ValueKind::Utf8, u"AB"},
      {ValueKind::Utf8, u"U+D800"}, {ValueKind::Utf8, u"U+110000"}, {ValueKind::Utf16, u"\xD800"},
      {ValueKind::UnixTime, u"2038-01-19 03:14:08"}, {ValueKind::UnixTime, u"1901-12-13 20:45:51"},
      {ValueKind::UnixTime, u"2024-02-30 00:00:00"}, {ValueKind::UnixTime, u"2024-01-01 00:00:00.5"},
      {ValueKind::FileTime, u"1600-12-31 23:59:59"}, {ValueKind::FileTime, u"2024-01-01 00:00:00.12345678"},
      {ValueKind::DosTime, u"1979-12-31 23:59:58"}, {ValueKind::DosTime, u"2108-01-01 00:00:00"},
      {ValueKind::DosTime, u"2024-01-01 00:00:01"},
  };
  for (const Case& c : refused) {
    std::vector<std::uint8_t> out{1};
    EXPECT_FALSE(ValueDecoder::encode(c.kind, c.text, ByteOrder::Little, 8, out)) << int(c.kind) << " " << toUtf8(c.text);
    EXPECT_TRUE(out.empty());
  }
  // The limits themselves fit, and so do the other ways of writing a value.
  struct Fits {
    ValueKind kind;
    const char16_t* text;
    std::vector<std::uint8_t> bytes;
  } fits[] = {
      {ValueKind::Int8, u"-128", {0x80}},
      {ValueKind::Int16, u" -0x10 ", {0xF0, 0xFF}},
      {ValueKind::UInt16, u"0xFFFF", {0xFF, 0xFF}},
      {ValueKind::Binary, u"101", {0x05}},
      {ValueKind::Utf8, u"U+20ac", {0xE2, 0x82, 0xAC}},
      {ValueKind::Utf16, u"😀", {0x3D, 0xD8, 0x00, 0xDE}},
      {ValueKind::UnixTime, u"1901-12-13T20:45:52", {0x00, 0x00, 0x00, 0x80}},
      {ValueKind::UnixTime, u"1970-01-02", {0x80, 0x51, 0x01, 0x00}},
      {ValueKind::DosTime, u"1980-01-01 00:00:00", {0x00, 0x00, 0x21, 0x00}},
  };
  for (const Fits& f : fits) {
    std::vector<std::uint8_t> out;
    EXPECT_TRUE(ValueDecoder::encode(f.kind, f.text, ByteOrder::Little, 8, out)) << toUtf8(f.text);
    EXPECT_EQ(out, f.bytes) << toUtf8(f.text);
  }
}

}  // namespace
}  // namespace nibblet
