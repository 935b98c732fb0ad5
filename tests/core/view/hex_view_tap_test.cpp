#include <gtest/gtest.h>

#include "view_fixture.h"

namespace nibblet {
namespace {

using test::ViewFixture;

// 4000 bytes in 360 x 160: offset column 0..40, hex column 41..281, text column 282..362.
TEST(HexViewTap, ClassifiesColumnsAndFindsTheByte) {
  struct Case {
    int x, y;
    TapResult result;
    std::uint32_t offset;
    bool inText;
    int rowTop;
  } cases[] = {
      {0, 0, TapResult::Goto, kNoOffset, false, 0},
      {40, 159, TapResult::Goto, kNoOffset, false, 0},
      {41, 0, TapResult::Byte, 0, false, 0},
      {63, 0, TapResult::Byte, 0, false, 0},
      {64, 0, TapResult::Byte, 1, false, 0},
      {256, 17, TapResult::Byte, 19, false, 16},
      {281, 17, TapResult::Byte, 19, false, 16},  // the column's last pixel: still this row
      {282, 0, TapResult::Byte, 0, true, 0},
      {290, 32, TapResult::Byte, 21, true, 32},
      {362, 159, TapResult::Byte, 99, true, 144},
      {363, 0, TapResult::Nothing, kNoOffset, false, 0},
      {100, 160, TapResult::Nothing, kNoOffset, false, 0},  // the part row below the last whole row
      {100, 161, TapResult::Nothing, kNoOffset, false, 0},
      {100, -1, TapResult::Nothing, kNoOffset, false, 0},
  };
  for (const Case& c : cases) {
    ViewFixture f;
    f.open(4000, 360, 160);
    SCOPED_TRACE(testing::Message() << "tap at " << c.x << "," << c.y);
    EXPECT_EQ(f.view.tap(c.x, c.y), c.result);
    EXPECT_EQ(f.view.tapOffset(), c.offset);
    if (c.result == TapResult::Byte) {
      EXPECT_EQ(f.view.tapInText(), c.inText);
      EXPECT_EQ(f.view.tapRowTop(), c.rowTop);
      EXPECT_EQ(f.view.markerShown(), Marker::Shown);
    }
  }
}

TEST(HexViewTap, CountsFromTheTopRowAndIgnoresBytesPastTheEnd) {
  ViewFixture f;
  f.open(4000);
  f.view.gotoOffset(3990);
  EXPECT_EQ(f.view.tap(41, 0), TapResult::Byte);
  EXPECT_EQ(f.view.tapOffset(), 3990u);
  EXPECT_EQ(f.view.tap(41 + 24 * 9, 0), TapResult::Byte);
  EXPECT_EQ(f.view.tapOffset(), 3999u);
  EXPECT_EQ(f.view.tap(41, 16), TapResult::Nothing);  // the empty row below the last
  EXPECT_EQ(f.view.tapOffset(), kNoOffset);
  EXPECT_EQ(f.view.markerShown(), Marker::None);

  ViewFixture shortFile;
  shortFile.open(15);
  const int cell = shortFile.view.offsetWidth() + 1;
  EXPECT_EQ(shortFile.view.tap(cell + 24 * 4, 16), TapResult::Byte);
  EXPECT_EQ(shortFile.view.tapOffset(), 14u);
  EXPECT_EQ(shortFile.view.tap(cell + 24 * 5, 16), TapResult::Nothing);  // blank cell after the data
  ViewFixture empty;
  empty.open(0);
  EXPECT_EQ(empty.view.tap(41, 0), TapResult::Nothing);
}

TEST(HexViewTap, AViewThatIsNotEditableOnlyOpensGoto) {
  ViewFixture f;
  f.open(4000);
  f.view.setEditable(false);
  EXPECT_EQ(f.view.tap(41, 0), TapResult::Nothing);
  EXPECT_EQ(f.view.tap(300, 0), TapResult::Nothing);
  EXPECT_EQ(f.view.tap(10, 0), TapResult::Goto);
}

}  // namespace
}  // namespace nibblet
