#include <gtest/gtest.h>

#include "core/settings_ui/colour_picker_model.h"

namespace nibblet {
namespace {

TEST(ColourPicker, StartTexts) {
  struct Case {
    std::u16string text;
    int red, green, blue;
  } cases[] = {
      {u"0,255,0", 0, 255, 0},
      {u"250; 152 5", 250, 152, 5},
      {u"300", 255, 0, 0},
      {u"", 0, 0, 0},
      {u";;, 1,,2;;3,4", 1, 2, 3},
      {u"-7,12x,abc", 0, 12, 0},
      {u"99999999999999999999,1,1", 255, 1, 1},
  };
  for (const Case& c : cases) {
    ColourPickerModel model(c.text);
    EXPECT_EQ(model.component(Component::Red), c.red);
    EXPECT_EQ(model.component(Component::Green), c.green);
    EXPECT_EQ(model.component(Component::Blue), c.blue);
  }
  EXPECT_EQ(ColourPickerModel(u"0,255,0").text(), u"0,255,0");
  // Only the first 80 characters count.
  std::u16string padded(79, u' ');
  EXPECT_EQ(ColourPickerModel(padded + u"12").component(Component::Red), 1);
  EXPECT_EQ(ColourPickerModel(padded + u" 12").component(Component::Red), 0);
}

TEST(ColourPicker, OkReturnsTheSliderValuesAndCancelIsNotConfirmed) {
  ColourPickerModel model(u"300");
  model.ok();
  EXPECT_TRUE(model.confirmed());
  EXPECT_EQ(model.colourText(), u"255,0,0");

  ColourPickerModel moved(u"1,2,3");
  moved.setComponent(Component::Blue, 256);
  moved.setComponent(Component::Green, -1);
  EXPECT_EQ(moved.text(), u"1,0,255");
  moved.cancel();
  EXPECT_FALSE(moved.confirmed());
}

}  // namespace
}  // namespace nibblet
