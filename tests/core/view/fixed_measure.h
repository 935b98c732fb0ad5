#pragma once
// Font metrics for view tests: every character is `charWidth` wide and `lineHeight` high.

#include <string_view>

#include "core/view/text_measure.h"

namespace nibblet::test {

class FixedMeasure : public TextMeasure {
 public:
  int charWidth = 8;
  int lineHeight = 16;
  int width(std::u16string_view text) const override { return charWidth * static_cast<int>(text.size()); }
  int height(std::u16string_view) const override { return lineHeight; }
};

}  // namespace nibblet::test
