#include "core/inspect/value_decoder.h"

#include <unicode/uchar.h>

#include <charconv>
#include <limits>
#include <system_error>

#include "core/i18n/string_ids.h"
#include "core/i18n/string_module.h"
#include "core/i18n/text_format.h"
#include "core/inspect/date_text.h"
#include "core/inspect/float_text.h"
#include "core/inspect/utf_sequence.h"
#include "core/platform/unicode.h"

namespace nibblet {
namespace {

// Seconds from 1601-01-01 (where file times count from) to 1970-01-01.
constexpr std::int64_t kFileTimeEpoch = 11644473600;
constexpr std::int64_t kTicksPerSecond = 10'000'000;
constexpr std::uint64_t kFileTimeLimit = std::uint64_t{1} << 63;  // Windows takes no file time from here on

// The two times of the panel count in UTC; a DOS time has no zone.
constexpr char16_t kUtc[] = u" UTC";

constexpr KeypadLayout kBinaryKeypad{u"01\n\b ", 4};
constexpr KeypadLayout kUnsignedKeypad{u"123\n456\n789\n0\b", 0};
constexpr KeypadLayout kSignedKeypad{u"123\n456\n789\n-0\b", 0};
constexpr KeypadLayout kFloatKeypad{u"123e\n456.\n789-\n0\b", 0};
constexpr KeypadLayout kDateKeypad{u"123-\n456:\n789 \n0.\b", 0};

bool isSigned(ValueKind kind) {
  return kind == ValueKind::Int8 || kind == ValueKind::Int16 || kind == ValueKind::Int32 || kind == ValueKind::Int64;
}

bool isInteger(ValueKind kind) { return kind >= ValueKind::UInt8 && kind <= ValueKind::Int64; }

std::int64_t signExtend(std::uint64_t value, std::size_t width) {
  if (width >= 8) return static_cast<std::int64_t>(value);
  const unsigned shift = static_cast<unsigned>(64 - 8 * width);
  return static_cast<std::int64_t>(value << shift) >> shift;
}

template <typename T>
std::u16string decimal(T value) {
  char buffer[24];
  auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  return fromAscii(std::string_view(buffer, static_cast<std::size_t>(end - buffer)));
}

std::u16string bitsText(std::uint8_t byte) {
  std::u16string out = u"0000 0000";
  for (int bit = 0; bit < 8; ++bit)
    if (byte & (0x80 >> bit)) out[static_cast<std::size_t>(bit < 4 ? bit : bit + 1)] = u'1';
  return out;
}

// A file time as a date, or false beyond 9999-12-31 (and from 2^63 on).
bool fileTimeDate(std::uint64_t ticks, CivilTime& out) {
  if (ticks >= kFileTimeLimit) return false;
  const auto seconds = static_cast<std::int64_t>(ticks / kTicksPerSecond) - kFileTimeEpoch;
  out = civilFromSeconds(seconds);
  out.ticks = static_cast<std::uint32_t>(ticks % kTicksPerSecond);
  return out.year <= 9999;
}

// The date of a DOS date and time (time in the low 16 bits), or false for a field out of range.
bool dosDate(std::uint32_t value, CivilTime& out) {
  const std::uint32_t time = value & 0xFFFF, date = value >> 16;
  CivilTime t;
  t.year = 1980 + (date >> 9);
  t.month = static_cast<int>(date >> 5 & 0x0F);
  t.day = static_cast<int>(date & 0x1F);
  t.hour = static_cast<int>(time >> 11);
  t.minute = static_cast<int>(time >> 5 & 0x3F);
  t.second = static_cast<int>(time & 0x1F) * 2;
  if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > daysInMonth(t.year, t.month) || t.hour > 23 ||
      t.minute > 59 || t.second > 59)
    return false;
  out = t;
  return true;
}

UtfCharacter character(ValueKind kind, const std::uint8_t* bytes, std::size_t available, ByteOrder order) {
  return kind == ValueKind::Utf8 ? decodeUtf8(bytes, available) : decodeUtf16(bytes, available, order);
}

// The character itself when it has a visible form, else nothing.
std::u16string glyph(char32_t c) {
  if (!u_isgraph(static_cast<UChar32>(c))) return {};
  if (c < 0x10000) return std::u16string(1, static_cast<char16_t>(c));
  return {static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)), static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF))};
}

std::u16string codePointText(char32_t c) { return formatText(u"U+%04X", {static_cast<unsigned>(c)}); }

std::u16string trimmed(std::u16string_view text) {
  const std::size_t first = text.find_first_not_of(u" \t");
  if (first == std::u16string_view::npos) return {};
  return std::u16string(text.substr(first, text.find_last_not_of(u" \t") - first + 1));
}

// An integer as typed: decimal digits, or 0x and hex digits, after an optional sign.
bool parseInteger(std::u16string_view text, bool& negative, std::uint64_t& magnitude) {
  std::string s;
  for (char16_t c : trimmed(text)) {
    if (c > 0x7E) return false;
    s += static_cast<char>(c);
  }
  std::string_view rest = s;
  negative = false;
  if (!rest.empty() && (rest.front() == '-' || rest.front() == '+')) {
    negative = rest.front() == '-';
    rest.remove_prefix(1);
  }
  int base = 10;
  if (rest.size() > 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X')) {
    base = 16;
    rest.remove_prefix(2);
  }
  // from_chars would take a second sign; the digits must start at once.
  if (rest.empty() || rest.front() == '-' || rest.front() == '+') return false;
  auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), magnitude, base);
  return ec == std::errc() && end == rest.data() + rest.size();
}

bool encodeInteger(ValueKind kind, std::u16string_view text, std::uint64_t& value) {
  bool negative;
  std::uint64_t magnitude;
  if (!parseInteger(text, negative, magnitude)) return false;
  const std::size_t width = ValueDecoder::width(kind);
  const unsigned bits = static_cast<unsigned>(8 * width);
  if (!isSigned(kind)) {
    if (negative && magnitude != 0) return false;
    if (bits < 64 && magnitude >> bits != 0) return false;
    value = magnitude;
    return true;
  }
  const std::uint64_t limit = std::uint64_t{1} << (bits - 1);  // |minimum|; the maximum is one less
  if (negative ? magnitude > limit : magnitude >= limit) return false;
  value = negative ? ~magnitude + 1 : magnitude;
  return true;
}

bool encodeBinary(std::u16string_view text, std::uint64_t& value) {
  int digits = 0;
  value = 0;
  for (char16_t c : text) {
    if (c == u' ') continue;
    if (c != u'0' && c != u'1') return false;
    if (++digits > 8) return false;
    value = value << 1 | (c == u'1');
  }
  return digits > 0;
}

// One character, or U+ and one to six hex digits.
bool parseCharacter(std::u16string_view text, char32_t& out) {
  if (text.size() > 2 && (text[0] == u'U' || text[0] == u'u') && text[1] == u'+') {
    std::string digits;
    for (char16_t c : text.substr(2)) {
      if (c > 0x7E) return false;
      digits += static_cast<char>(c);
    }
    std::uint32_t value = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
    if (digits.size() > 6 || ec != std::errc() || end != digits.data() + digits.size()) return false;
    out = value;
  } else if (text.size() == 1) {
    out = text[0];
  } else if (text.size() == 2 && text[0] >= 0xD800 && text[0] <= 0xDBFF && text[1] >= 0xDC00 && text[1] <= 0xDFFF) {
    out = 0x10000 + ((static_cast<char32_t>(text[0]) - 0xD800) << 10) + (text[1] - 0xDC00);
  } else {
    return false;
  }
  return isScalarValue(out);
}

bool encodeDate(ValueKind kind, std::u16string_view text, std::uint64_t& value) {
  CivilTime t;
  if (!parseDateText(text, kind == ValueKind::FileTime ? 7 : 0, t)) return false;
  const std::int64_t seconds = secondsFromCivil(t);
  switch (kind) {
    case ValueKind::UnixTime:
      if (seconds < std::numeric_limits<std::int32_t>::min() || seconds > std::numeric_limits<std::int32_t>::max())
        return false;
      value = static_cast<std::uint32_t>(static_cast<std::int32_t>(seconds));
      return true;
    case ValueKind::FileTime:
      if (t.year < 1601) return false;
      value = static_cast<std::uint64_t>(seconds + kFileTimeEpoch) * kTicksPerSecond + t.ticks;
      return true;
    default:  // DosTime
      if (t.year < 1980 || t.year > 2107 || t.second % 2 != 0) return false;
      value = static_cast<std::uint64_t>(t.year - 1980) << 25 | std::uint64_t(t.month) << 21 |
              std::uint64_t(t.day) << 16 | std::uint64_t(t.hour) << 11 | std::uint64_t(t.minute) << 5 |
              std::uint64_t(t.second / 2);
      return true;
  }
}

}  // namespace

ValueDecoder::ValueDecoder(const Texts& texts) {
  for (int i = 0; i < kValueKindCount; ++i) m_names[static_cast<std::size_t>(i)] = texts.loadText(kIdsRowBinary + i);
  m_needs = texts.loadText(kIdsNeedsBytes);
  m_oneByte = texts.loadText(kIdsOneByte);
  m_bytes = texts.loadText(kIdsBytes);
  m_outOfRange = texts.loadText(kIdsOutOfRange);
  m_invalidDate = texts.loadText(kIdsInvalidDate);
  for (std::size_t i = 0; i < m_utfErrors.size(); ++i)
    m_utfErrors[i] = texts.loadText(kIdsUtfContinuation + static_cast<int>(i));
}

std::size_t ValueDecoder::width(ValueKind kind) {
  switch (kind) {
    case ValueKind::Binary: case ValueKind::UInt8: case ValueKind::Int8: case ValueKind::Utf8: return 1;
    case ValueKind::UInt16: case ValueKind::Int16: case ValueKind::Utf16: return 2;
    case ValueKind::UInt32: case ValueKind::Int32: case ValueKind::Float32: case ValueKind::UnixTime:
    case ValueKind::DosTime: return 4;
    case ValueKind::UInt64: case ValueKind::Int64: case ValueKind::Float64: case ValueKind::FileTime: return 8;
  }
  return 1;
}

std::u16string ValueDecoder::bytesText(std::size_t count) const {
  return count == 1 ? m_oneByte : formatText(m_bytes, {static_cast<int>(count)});
}

std::u16string ValueDecoder::characterText(char32_t c, std::size_t length) const {
  std::u16string out = glyph(c);
  if (!out.empty()) out += u' ';
  out += codePointText(c);
  out += u", ";
  out += bytesText(length);
  return out;
}

std::u16string ValueDecoder::text(ValueKind kind, const std::uint8_t* bytes, std::size_t available,
                                  ByteOrder order) const {
  const std::size_t need = width(kind);
  if (available < need) return formatText(m_needs, {static_cast<int>(need)});
  if (kind == ValueKind::Utf8 || kind == ValueKind::Utf16) {
    UtfCharacter c = character(kind, bytes, available, order);
    if (c.status == UtfStatus::Valid) return characterText(c.codePoint, c.length);
    return m_utfErrors[static_cast<std::size_t>(c.status) - 1];
  }
  const std::uint64_t raw = readUnsigned(bytes, need, order);
  CivilTime date;
  switch (kind) {
    case ValueKind::Binary: return bitsText(bytes[0]);
    case ValueKind::Float32: return floatText(static_cast<std::uint32_t>(raw));
    case ValueKind::Float64: return doubleText(raw);
    case ValueKind::UnixTime: return dateText(civilFromSeconds(static_cast<std::int32_t>(raw))) + kUtc;
    case ValueKind::FileTime: return fileTimeDate(raw, date) ? dateText(date) + kUtc : m_outOfRange;
    case ValueKind::DosTime: return dosDate(static_cast<std::uint32_t>(raw), date) ? dateText(date) : m_invalidDate;
    default: return isSigned(kind) ? decimal(signExtend(raw, need)) : decimal(raw);
  }
}

std::size_t ValueDecoder::valueBytes(ValueKind kind, const std::uint8_t* bytes, std::size_t available,
                                     ByteOrder order) {
  if (available < width(kind)) return 0;
  if (kind != ValueKind::Utf8 && kind != ValueKind::Utf16) return width(kind);
  UtfCharacter c = character(kind, bytes, available, order);
  return c.status == UtfStatus::Valid ? c.length : 0;
}

std::u16string ValueDecoder::editText(ValueKind kind, const std::uint8_t* bytes, std::size_t available,
                                      ByteOrder order) {
  if (valueBytes(kind, bytes, available, order) == 0) return {};
  const std::uint64_t raw = readUnsigned(bytes, width(kind), order);
  CivilTime date;
  switch (kind) {
    case ValueKind::Utf8:
    case ValueKind::Utf16: {
      const char32_t c = character(kind, bytes, available, order).codePoint;
      std::u16string shown = glyph(c);
      return shown.empty() ? codePointText(c) : shown;
    }
    case ValueKind::FileTime: return fileTimeDate(raw, date) ? dateText(date) : std::u16string();
    case ValueKind::DosTime: return dosDate(static_cast<std::uint32_t>(raw), date) ? dateText(date) : std::u16string();
    case ValueKind::UnixTime: return dateText(civilFromSeconds(static_cast<std::int32_t>(raw)));
    case ValueKind::Float32: return floatText(static_cast<std::uint32_t>(raw));
    case ValueKind::Float64: return doubleText(raw);
    case ValueKind::Binary: return bitsText(bytes[0]);
    default: return isSigned(kind) ? decimal(signExtend(raw, width(kind))) : decimal(raw);
  }
}

bool ValueDecoder::encode(ValueKind kind, std::u16string_view text, ByteOrder order, std::size_t available,
                          std::vector<std::uint8_t>& out) {
  out.clear();
  std::uint64_t value = 0;
  bool ok = false;
  if (kind == ValueKind::Utf8 || kind == ValueKind::Utf16) {
    char32_t c;
    if (!parseCharacter(text, c)) return false;
    if (kind == ValueKind::Utf8)
      encodeUtf8(c, out);
    else
      encodeUtf16(c, order, out);
    if (out.size() > available) out.clear();
    return !out.empty();
  }
  if (kind == ValueKind::Binary) {
    ok = encodeBinary(text, value);
  } else if (isInteger(kind)) {
    ok = encodeInteger(kind, text, value);
  } else if (kind == ValueKind::Float32) {
    std::uint32_t bits;
    ok = parseFloatText(text, bits);
    value = bits;
  } else if (kind == ValueKind::Float64) {
    ok = parseDoubleText(text, value);
  } else {
    ok = encodeDate(kind, text, value);
  }
  const std::size_t need = width(kind);
  if (!ok || need > available) return false;
  out.resize(need);
  writeUnsigned(value, need, order, out.data());
  return true;
}

const KeypadLayout* ValueDecoder::keypad(ValueKind kind) {
  switch (kind) {
    case ValueKind::Binary: return &kBinaryKeypad;
    case ValueKind::Float32: case ValueKind::Float64: return &kFloatKeypad;
    case ValueKind::Utf8: case ValueKind::Utf16: return nullptr;
    case ValueKind::UnixTime: case ValueKind::FileTime: case ValueKind::DosTime: return &kDateKeypad;
    default: return isSigned(kind) ? &kSignedKeypad : &kUnsignedKeypad;
  }
}

}  // namespace nibblet
