#include "core/settings_ui/colour_picker_model.h"

#include <algorithm>

#include "core/i18n/text_format.h"

namespace nibblet {
namespace {

bool isSeparator(char16_t c) { return c == u',' || c == u';' || c == u' '; }

// A piece's leading number; large values stop growing past the slider's range.
int pieceValue(std::u16string_view piece) {
  std::size_t i = 0;
  bool negative = false;
  if (i < piece.size() && (piece[i] == u'-' || piece[i] == u'+')) negative = piece[i++] == u'-';
  long long value = 0;
  for (; i < piece.size() && piece[i] >= u'0' && piece[i] <= u'9'; ++i) {
    value = value * 10 + (piece[i] - u'0');
    if (value > 1'000'000) value = 1'000'000;
  }
  return static_cast<int>(negative ? -value : value);
}

}  // namespace

ColourPickerModel::ColourPickerModel(std::u16string_view startText) {
  if (startText.size() > kColourPickerTextChars) startText = startText.substr(0, kColourPickerTextChars);
  std::size_t i = 0;
  for (int part = 0; part < 3; ++part) {
    while (i < startText.size() && isSeparator(startText[i])) ++i;
    if (i >= startText.size()) break;
    std::size_t end = i;
    while (end < startText.size() && !isSeparator(startText[end])) ++end;
    setComponent(static_cast<Component>(part), pieceValue(startText.substr(i, end - i)));
    i = end;
  }
  m_colourText = text();
}

void ColourPickerModel::setComponent(Component c, int value) {
  m_values[static_cast<int>(c)] = std::clamp(value, 0, kSliderMax);
}

std::u16string ColourPickerModel::text() const {
  return formatText(u"%d,%d,%d", {m_values[0], m_values[1], m_values[2]});
}

void ColourPickerModel::ok() {
  m_confirmed = true;
  m_colourText = text();
}

void ColourPickerModel::cancel() {
  m_confirmed = false;
  m_colourText = text();
}

}  // namespace nibblet
