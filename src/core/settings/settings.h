#pragma once
// The program's settings: one fixed 1568-byte record, stored whole as the registry value
// "main". Text fields are zero-terminated UTF-16 arrays. Stored records are not trusted:
// readers go through the bounded accessors below, never past an array's end.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace nibblet {

constexpr std::size_t kSettingsSize = 1568;
constexpr std::size_t kColorTextChars = 50;
constexpr std::size_t kPathChars = 260;

using ColorText = std::array<char16_t, kColorTextChars>;
using PathText = std::array<char16_t, kPathChars>;

struct Settings {
  ColorText editStartColor{};     // offset 0
  ColorText changesColor{};       // 100
  ColorText searchResultColor{};  // 200
  PathText workPath{};            // 300
  std::int32_t languageIndex = 0; // 820
  std::int32_t openMode = 0;      // 824: 0 on the spot, 1 temporary copy
  std::int32_t fontSize = 12;     // 828
  PathText backupPath{};          // 832
  ColorText diffColor{};          // 1352
  std::int32_t useClearType = 1;  // 1452
  std::int32_t useBoldFont = 0;   // 1456
  std::int32_t rowListColumnWidth = 0;  // 1460
  ColorText selectedColor{};      // 1464
  std::uint8_t convertFrom = 3;   // 1564
  std::uint8_t convertTo = 2;     // 1565
  std::uint8_t convertCopyAs = 1; // 1566
  std::uint8_t showToolbar = 1;   // 1567

  // The record with every default; `workPath` gets `defaultWorkPath`.
  static Settings defaults(const std::u16string& defaultWorkPath);

  // The record as stored: 1568 bytes, little-endian.
  std::vector<std::uint8_t> toBytes() const;
  // Reads a stored record; false (record unchanged) unless `bytes` is exactly 1568 bytes long.
  bool fromBytes(const std::vector<std::uint8_t>& bytes);

  // The font size in use: `fontSize` clamped to 10..18.
  int boundedFontSize() const;
};

// The text of a fixed array, up to its terminator or its end.
template <std::size_t N>
std::u16string textOf(const std::array<char16_t, N>& field) {
  std::size_t n = 0;
  while (n < N && field[n] != 0) ++n;
  return std::u16string(field.data(), n);
}

// Stores `text` in a fixed array, cut to N - 1 characters and zero-filled behind.
// Returns false when the text had to be cut.
template <std::size_t N>
bool setText(std::array<char16_t, N>& field, std::u16string_view text) {
  field.fill(0);
  std::size_t n = text.size() < N ? text.size() : N - 1;
  for (std::size_t i = 0; i < n; ++i) field[i] = text[i];
  return n == text.size();
}

}  // namespace nibblet
