#pragma once
// The rules of the colour picker (dialog 935): the start text read into red, green and blue,
// the sliders' range, the "%d,%d,%d" text, OK and Cancel.

#include <string>
#include <string_view>

namespace nibblet {

constexpr int kColourPickerWidth = 200;   // logical pixels
constexpr int kColourPickerHeight = 120;
constexpr std::size_t kColourPickerTextChars = 80;
constexpr int kSliderMax = 255;

enum class Component { Red = 0, Green = 1, Blue = 2 };

class ColourPickerModel {
 public:
  // Reads the first 80 characters of `startText`: split at ",", ";" and blanks (runs count as
  // one), the first three pieces as decimal numbers (a sign and leading digits; anything else
  // reads as 0); a missing piece leaves its component at 0. Each component is then held at a
  // slider position, 0 to 255.
  explicit ColourPickerModel(std::u16string_view startText);

  int component(Component c) const { return m_values[static_cast<int>(c)]; }
  // A slider moved; the value is clamped to 0..255.
  void setComponent(Component c, int value);

  // "%d,%d,%d" of the current components.
  std::u16string text() const;

  // OK: confirmed, and the text is taken from the sliders. Cancel: not confirmed; the text is
  // formatted the same way, but callers use it only when confirmed.
  void ok();
  void cancel();
  bool confirmed() const { return m_confirmed; }
  const std::u16string& colourText() const { return m_colourText; }

 private:
  int m_values[3] = {0, 0, 0};
  bool m_confirmed = false;
  std::u16string m_colourText;
};

}  // namespace nibblet
