#pragma once
// What the bytes at an offset mean as each kind of value the values panel shows, and the bytes
// a typed value stands for. One row per kind: the byte's bits; unsigned and signed integers of
// 8, 16, 32 and 64 bits; IEEE binary32 and binary64 floats; the UTF-8 and the UTF-16 character
// that starts there; a signed 32-bit Unix time and a Windows file time (100 ns units since
// 1601-01-01) as dates in UTC ("2024-02-24 13:17:30 UTC"); and a DOS date and time (the time in the low 16 bits, the date in
// the high 16). Multi-byte values are read in the chosen byte order.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/inspect/byte_order.h"
#include "core/view/hex_keypad.h"

namespace nibblet {

class Texts;

enum class ValueKind {
  Binary, UInt8, Int8, UInt16, Int16, UInt32, Int32, UInt64, Int64,
  Float32, Float64, Utf8, Utf16, UnixTime, FileTime, DosTime,
};
constexpr int kValueKindCount = 16;

class ValueDecoder {
 public:
  // Loads the texts the rows use once.
  explicit ValueDecoder(const Texts& texts);

  // The bytes a kind needs: its size, and 1 for UTF-8 and 2 for UTF-16, whose characters may
  // take more.
  static std::size_t width(ValueKind kind);
  const std::u16string& name(ValueKind kind) const { return m_names[static_cast<int>(kind)]; }

  // The row's text for the bytes at `bytes`, of which `available` exist (0 and more): the
  // value, or what is wrong ("needs 4 bytes", "invalid: overlong form", "out of range").
  std::u16string text(ValueKind kind, const std::uint8_t* bytes, std::size_t available, ByteOrder order) const;

  // The bytes the row reads: its width, or the length of the character for UTF-8 and UTF-16;
  // 0 when there is no value there (too few bytes, no valid character).
  static std::size_t valueBytes(ValueKind kind, const std::uint8_t* bytes, std::size_t available, ByteOrder order);

  // The editor's starting text: the value as the editor reads it back; empty when there is none
  // (too few bytes, an invalid character, a date that cannot be shown).
  static std::u16string editText(ValueKind kind, const std::uint8_t* bytes, std::size_t available, ByteOrder order);

  // The bytes `text` stands for as a value of `kind`, in `order`: decimal integers (or 0x and
  // hex digits; "-" only for the signed kinds), 1 to 8 bits for Binary, floats as floatText
  // writes them or any decimal number, one character or U+XXXX for UTF-8 and UTF-16, dates as
  // "YYYY-MM-DD hh:mm:ss" (file times with up to 7 decimals of a second, DOS times with even
  // seconds from 1980 to 2107). False, leaving `out` empty, when the text is no such value, the
  // value does not fit the kind, or its bytes need more than `available`.
  static bool encode(ValueKind kind, std::u16string_view text, ByteOrder order, std::size_t available,
                     std::vector<std::uint8_t>& out);

  // The keypad the row's editor shows, or null for the system keyboard (the characters).
  static const KeypadLayout* keypad(ValueKind kind);

 private:
  std::u16string bytesText(std::size_t count) const;
  std::u16string characterText(char32_t codePoint, std::size_t length) const;

  std::array<std::u16string, kValueKindCount> m_names;
  std::u16string m_needs, m_oneByte, m_bytes, m_outOfRange, m_invalidDate;
  std::array<std::u16string, 8> m_utfErrors;
};

}  // namespace nibblet
