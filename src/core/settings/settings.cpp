#include "core/settings/settings.h"

#include <algorithm>

namespace nibblet {
namespace {

// Little-endian field writers and readers over the stored record.
void putU16Text(std::vector<std::uint8_t>& out, std::size_t at, const char16_t* text, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    out[at + 2 * i] = static_cast<std::uint8_t>(text[i] & 0xFF);
    out[at + 2 * i + 1] = static_cast<std::uint8_t>(text[i] >> 8);
  }
}

void getU16Text(const std::vector<std::uint8_t>& in, std::size_t at, char16_t* text, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i)
    text[i] = static_cast<char16_t>(in[at + 2 * i] | (in[at + 2 * i + 1] << 8));
}

void putI32(std::vector<std::uint8_t>& out, std::size_t at, std::int32_t value) {
  auto v = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::int32_t getI32(const std::vector<std::uint8_t>& in, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(in[at + i]) << (8 * i);
  return static_cast<std::int32_t>(v);
}

template <typename Record, typename Visit>
void forEachField(Record& s, Visit&& visit) {
  visit.text(0, s.editStartColor.data(), kColorTextChars);
  visit.text(100, s.changesColor.data(), kColorTextChars);
  visit.text(200, s.searchResultColor.data(), kColorTextChars);
  visit.text(300, s.workPath.data(), kPathChars);
  visit.number(820, s.languageIndex);
  visit.number(824, s.openMode);
  visit.number(828, s.fontSize);
  visit.text(832, s.backupPath.data(), kPathChars);
  visit.text(1352, s.diffColor.data(), kColorTextChars);
  visit.number(1452, s.useClearType);
  visit.number(1456, s.useBoldFont);
  visit.number(1460, s.rowListColumnWidth);
  visit.text(1464, s.selectedColor.data(), kColorTextChars);
  visit.byte(1564, s.convertFrom);
  visit.byte(1565, s.convertTo);
  visit.byte(1566, s.convertCopyAs);
  visit.byte(1567, s.showToolbar);
}

}  // namespace

Settings Settings::defaults(const std::u16string& defaultWorkPath) {
  Settings s;
  setText(s.editStartColor, u"0,255,0");
  setText(s.changesColor, u"250,152,5");
  setText(s.searchResultColor, u"200,250,255");
  setText(s.workPath, defaultWorkPath);
  setText(s.diffColor, u"200,200,200");
  setText(s.selectedColor, u"255,255,0");
  return s;
}

std::vector<std::uint8_t> Settings::toBytes() const {
  std::vector<std::uint8_t> out(kSettingsSize, 0);
  struct Writer {
    std::vector<std::uint8_t>& out;
    void text(std::size_t at, const char16_t* t, std::size_t n) { putU16Text(out, at, t, n); }
    void number(std::size_t at, std::int32_t v) { putI32(out, at, v); }
    void byte(std::size_t at, std::uint8_t v) { out[at] = v; }
  } writer{out};
  forEachField(*this, writer);
  return out;
}

bool Settings::fromBytes(const std::vector<std::uint8_t>& bytes) {
  if (bytes.size() != kSettingsSize) return false;
  struct Reader {
    const std::vector<std::uint8_t>& in;
    void text(std::size_t at, char16_t* t, std::size_t n) { getU16Text(in, at, t, n); }
    void number(std::size_t at, std::int32_t& v) { v = getI32(in, at); }
    void byte(std::size_t at, std::uint8_t& v) { v = in[at]; }
  } reader{bytes};
  forEachField(*this, reader);
  return true;
}

int Settings::boundedFontSize() const { return std::clamp(fontSize, 10, 18); }

}  // namespace nibblet
