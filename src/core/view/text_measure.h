#pragma once
// How the view learns the size of text in its font. The widget measures with the real font;
// tests use fixed numbers.

#include <string_view>

namespace nibblet {

class TextMeasure {
 public:
  virtual ~TextMeasure() = default;
  // Width and height in pixels of `text` drawn on one line in the view font.
  virtual int width(std::u16string_view text) const = 0;
  virtual int height(std::u16string_view text) const = 0;
};

}  // namespace nibblet
