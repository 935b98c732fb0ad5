#include "core/inspect/utf_sequence.h"

namespace nibblet {
namespace {

UtfCharacter failed(UtfStatus status) { return {status, 0, 0}; }

bool isContinuation(std::uint8_t b) { return (b & 0xC0) == 0x80; }

}  // namespace

bool isScalarValue(char32_t c) { return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF); }

UtfCharacter decodeUtf8(const std::uint8_t* bytes, std::size_t available) {
  if (available == 0) return failed(UtfStatus::Truncated);
  const std::uint8_t lead = bytes[0];
  if (lead < 0x80) return {UtfStatus::Valid, lead, 1};
  if (isContinuation(lead)) return failed(UtfStatus::Continuation);
  std::size_t length;
  char32_t value;
  if (lead < 0xE0) {
    length = 2;
    value = lead & 0x1F;
  } else if (lead < 0xF0) {
    length = 3;
    value = lead & 0x0F;
  } else if (lead < 0xF8) {
    length = 4;
    value = lead & 0x07;
  } else {
    return failed(UtfStatus::BadLeadByte);
  }
  for (std::size_t i = 1; i < length; ++i) {
    if (i >= available) return failed(UtfStatus::Truncated);
    if (!isContinuation(bytes[i])) return failed(UtfStatus::MissingContinuation);
    value = value << 6 | (bytes[i] & 0x3F);
  }
  static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (value < kSmallest[length]) return failed(UtfStatus::Overlong);
  if (value > 0x10FFFF) return failed(UtfStatus::BeyondUnicode);
  if (value >= 0xD800 && value <= 0xDFFF) return failed(UtfStatus::Surrogate);
  return {UtfStatus::Valid, value, length};
}

UtfCharacter decodeUtf16(const std::uint8_t* bytes, std::size_t available, ByteOrder order) {
  if (available < 2) return failed(UtfStatus::Truncated);
  const auto unit = static_cast<char32_t>(readUnsigned(bytes, 2, order));
  if (unit < 0xD800 || unit > 0xDFFF) return {UtfStatus::Valid, unit, 2};
  if (unit >= 0xDC00) return failed(UtfStatus::UnpairedSurrogate);
  if (available < 4) return failed(UtfStatus::Truncated);
  const auto low = static_cast<char32_t>(readUnsigned(bytes + 2, 2, order));
  if (low < 0xDC00 || low > 0xDFFF) return failed(UtfStatus::UnpairedSurrogate);
  return {UtfStatus::Valid, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00), 4};
}

void encodeUtf8(char32_t c, std::vector<std::uint8_t>& out) {
  if (c < 0x80) {
    out.push_back(static_cast<std::uint8_t>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<std::uint8_t>(0xC0 | c >> 6));
    out.push_back(static_cast<std::uint8_t>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<std::uint8_t>(0xE0 | c >> 12));
    out.push_back(static_cast<std::uint8_t>(0x80 | (c >> 6 & 0x3F)));
    out.push_back(static_cast<std::uint8_t>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<std::uint8_t>(0xF0 | c >> 18));
    out.push_back(static_cast<std::uint8_t>(0x80 | (c >> 12 & 0x3F)));
    out.push_back(static_cast<std::uint8_t>(0x80 | (c >> 6 & 0x3F)));
    out.push_back(static_cast<std::uint8_t>(0x80 | (c & 0x3F)));
  }
}

void encodeUtf16(char32_t c, ByteOrder order, std::vector<std::uint8_t>& out) {
  std::uint8_t unit[2];
  auto put = [&](char32_t u) {
    writeUnsigned(u, 2, order, unit);
    out.insert(out.end(), unit, unit + 2);
  };
  if (c < 0x10000) {
    put(c);
  } else {
    put(0xD800 + ((c - 0x10000) >> 10));
    put(0xDC00 + ((c - 0x10000) & 0x3FF));
  }
}

}  // namespace nibblet
