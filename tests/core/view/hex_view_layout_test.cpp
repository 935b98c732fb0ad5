#include <gtest/gtest.h>

#include <sys/mman.h>

#include "core/view/hex_view.h"
#include "view_fixture.h"

namespace nibblet {
namespace {

using test::ViewFixture;

TEST(HexViewLayout, MeasuresColumnsAndRowsFromTheFontAndTheSize) {
  struct Case {
    std::uint32_t size;
    int width, height;
    int digits;
    const char16_t* format;
    int offsetWidth;
    std::uint32_t bytesPerRow;
    int hexAreaWidth, visibleRows;
    std::uint32_t totalRows, capacity;
  } cases[] = {
      {0, 360, 160, 2, u"%02X: ", 32, 10, 240, 10, 1, 0},           // 0 + 16 = 0x10
      {1, 360, 160, 2, u"%02X: ", 32, 10, 240, 10, 1, 1},           // 0x11: two digits
      {4000, 360, 160, 3, u"%03X: ", 40, 10, 240, 10, 401, 100},    // 0xFB0
      {4000, 360, 175, 3, u"%03X: ", 40, 10, 240, 10, 401, 100},    // only whole rows count
      {4000, 72, 160, 3, u"%03X: ", 40, 1, 24, 10, 4001, 10},       // just one cell wide
      {4000, 10, 160, 3, u"%03X: ", 40, 1, 24, 10, 4001, 10},       // narrower than one cell
      {4000, 360, 15, 3, u"%03X: ", 40, 10, 240, 0, 401, 0},        // lower than one row
      {65520, 480, 640, 5, u"%05X: ", 56, 13, 312, 40, 5041, 520},  // 0x10000: five digits
  };
  for (const Case& c : cases) {
    ViewFixture f;
    f.open(c.size, c.width, c.height);
    SCOPED_TRACE(testing::Message() << c.size << " bytes in " << c.width << "x" << c.height);
    EXPECT_EQ(f.view.lineHeight(), 16);
    EXPECT_EQ(f.view.pairWidth(), 16);
    EXPECT_EQ(f.view.spaceWidth(), 8);
    EXPECT_EQ(f.view.offsetDigits(), c.digits);
    EXPECT_EQ(f.view.offsetFormat(), c.format);
    EXPECT_EQ(f.view.offsetWidth(), c.offsetWidth);
    EXPECT_EQ(f.view.bytesPerRow(), c.bytesPerRow);
    EXPECT_EQ(f.view.hexAreaWidth(), c.hexAreaWidth);
    EXPECT_EQ(f.view.visibleRows(), c.visibleRows);
    EXPECT_EQ(f.view.totalRows(), c.totalRows);
    EXPECT_EQ(f.view.visibleCapacity(), c.capacity);
  }
}

TEST(HexViewLayout, RelayoutFillsTheParentAndLeavesRoomForTheToolbar) {
  test::FixedMeasure measure;
  HexView view(measure);
  ViewFrame frame{480, 640, 96, 20, 2};
  view.relayout(1, 1, 0, 0, frame);  // margin 1 at 96 dpi
  EXPECT_EQ(view.width(), 478);
  EXPECT_EQ(view.height(), 638);
  EXPECT_EQ(view.clientWidth(), 458);
  view.setToolbarHeight(24);
  view.relayout(1, 1, 0, 0, frame);
  EXPECT_EQ(view.height(), 614);
  view.relayout(5, 5, 200, 300, frame);  // an explicit height loses the toolbar too
  EXPECT_EQ(view.width(), 200);
  EXPECT_EQ(view.height(), 276);
  frame.dpiX = 192;  // margin 2
  view.relayout(0, 0, 0, 0, frame);
  EXPECT_EQ(view.width(), 478);
  EXPECT_EQ(view.height(), 614);
  view.relayout(0, 0, 100, 10, frame);  // taller toolbar than view: no rows, no fault
  EXPECT_EQ(view.visibleRows(), 0);
}

TEST(HexViewLayout, FontSizeKeepsTheTopRowOffsetAndRecomputesBytesPerRow) {
  ViewFixture f;
  f.open(4000);
  f.view.scroll(ScrollRequest::PageDown);
  ASSERT_EQ(f.view.topOffset(), 100u);
  f.measure.charWidth = 10;
  f.measure.lineHeight = 20;
  f.view.setFontSize(14);
  EXPECT_EQ(f.view.fontPoints(), 14);
  EXPECT_EQ(f.view.topOffset(), 100u);
  EXPECT_EQ(f.view.offsetDigits(), 3);
  EXPECT_EQ(f.view.bytesPerRow(), 7u);  // (360 - 50) / 40
  EXPECT_EQ(f.view.visibleRows(), 8);
  f.view.rebuildText();
  EXPECT_EQ(f.view.rowsText().substr(0, 5), u"064: ");
}

TEST(HexViewRowsText, OneByteFileHasTwoOffsetDigitsAndBlankCells) {
  ViewFixture f;
  f.open(1);
  f.data[0] = 0x41;
  f.view.rebuildText();
  std::u16string expected = u"00: 41 " + std::u16string(27, u' ') + u"A\r\n";
  EXPECT_EQ(f.view.rowsText(), expected);
  EXPECT_EQ(f.view.shownBytes(), 1u);
}

TEST(HexViewRowsText, FullRowsHaveLowerCaseCellsAndTheTextColumn) {
  ViewFixture f;
  f.open(20);  // two full rows of ten
  f.data[19] = 0xFF;
  f.view.rebuildText();
  std::u16string expected =
      u"00: 00 01 02 03 04 05 06 07 08 09 ..........\r\n"
      u"0A: 0a 0b 0c 0d 0e 0f 10 11 12 ff .......\u0011\u0012\u00ff\r\n";
  EXPECT_EQ(f.view.rowsText(), expected);
  EXPECT_EQ(f.view.rowsText().size(), 2 * (2 + 2 + 4 * 10 + 2u));
}

TEST(HexViewRowsText, ShowsOnlyWhatFitsAndNothingPastTheEnd) {
  ViewFixture f;
  f.open(4000);
  EXPECT_EQ(f.view.shownBytes(), 100u);
  EXPECT_EQ(f.view.rowsText().size(), 10 * (3 + 2 + 40 + 2u));
  f.view.gotoOffset(3999);  // the last row holds 3990..3999
  EXPECT_EQ(f.view.topOffset(), 3990u);
  EXPECT_EQ(f.view.shownBytes(), 10u);
  f.view.gotoOffset(4000);  // one past the end: the top row is empty
  EXPECT_EQ(f.view.topOffset(), 4000u);
  EXPECT_EQ(f.view.rowsText(), u"");
  ViewFixture empty;
  empty.open(0);
  EXPECT_EQ(empty.view.rowsText(), u"");
}

TEST(HexViewScroll, LineAndPageRequestsStopAtTheEdges) {
  ViewFixture f;
  f.open(1000);  // ten rows of ten on screen, a page is 100 bytes
  EXPECT_FALSE(f.view.scroll(ScrollRequest::LineUp));
  EXPECT_FALSE(f.view.scroll(ScrollRequest::PageUp));
  EXPECT_TRUE(f.view.scroll(ScrollRequest::LineDown));
  EXPECT_EQ(f.view.topOffset(), 10u);
  EXPECT_TRUE(f.view.scroll(ScrollRequest::PageDown));
  EXPECT_EQ(f.view.topOffset(), 110u);
  EXPECT_EQ(f.view.scrollBarPosition(), 108);  // 11 * 1000 / 101
  // Less than a page above the top row: page up does nothing, line up still works.
  f.view.gotoOffset(50);
  ASSERT_EQ(f.view.topOffset(), 50u);
  int bar = f.view.scrollBarPosition();
  EXPECT_FALSE(f.view.scroll(ScrollRequest::PageUp));
  EXPECT_EQ(f.view.topOffset(), 50u);
  EXPECT_EQ(f.view.scrollBarPosition(), bar);
  EXPECT_TRUE(f.view.scroll(ScrollRequest::LineUp));
  EXPECT_EQ(f.view.topOffset(), 40u);
  // At the end: the page or line that would pass the end is refused.
  f.view.gotoOffset(900);
  EXPECT_FALSE(f.view.scroll(ScrollRequest::PageDown));
  f.view.gotoOffset(990);
  EXPECT_FALSE(f.view.scroll(ScrollRequest::LineDown));
  EXPECT_EQ(f.view.scrollPosition(), 1000);  // on the last row
  EXPECT_FALSE(f.view.scroll(ScrollRequest::Other));
}

TEST(HexViewScroll, ThumbTrackingStopsAtTheLastFullPage) {
  struct Case {
    std::uint32_t size;
    int track;
    std::uint32_t top;
  } cases[] = {
      {1000, 0, 0},
      {1000, -5, 0},
      {1000, 500, 500},     // row 50 of 101
      {1000, 890, 890},     // row 89: just above the last page
      {1000, 902, 900},     // the thumb's lowest place: rows 90-99, the last page
      {1000, 1000, 900},    // multiple of the row: still the last page, never an empty screen
      {1000, 5000, 900},    // clamped to 1000
      {1005, 1000, 910},    // the short last row at the bottom of the screen
      {5, 1000, 0},         // shorter than a row
      {10, 1000, 0},        // exactly one row
      {100, 1000, 0},       // exactly one screen
      {10, 500, 0},
  };
  for (const Case& c : cases) {
    ViewFixture f;
    f.open(c.size);
    int bar = f.view.scrollBarPosition();
    EXPECT_TRUE(f.view.scroll(ScrollRequest::ThumbTrack, c.track));
    EXPECT_EQ(f.view.topOffset(), c.top) << c.size << " bytes, track " << c.track;
    EXPECT_EQ(f.view.scrollBarPosition(), bar);  // dragging leaves the bar alone
  }
  ViewFixture f;
  f.open(1000);
  f.view.scroll(ScrollRequest::ThumbTrack, 1000);
  EXPECT_TRUE(f.view.scroll(ScrollRequest::ThumbPosition));
  EXPECT_EQ(f.view.scrollBarPosition(), 1000);
  EXPECT_EQ(f.view.scrollPage(), 99);  // 10 * 1000 / 101
}

TEST(HexViewScroll, TheBarsRangeEndsWhereTheLastPageBegins) {
  struct Case {
    std::uint32_t size;
    int page, maximum;
    std::uint32_t lastPageTop;
  } cases[] = {
      {0, 10000, 0, 0},
      {50, 1666, 0, 0},        // fits one screen: nothing to scroll
      {100, 909, 92, 0},       // ten rows and the empty eleventh: the thumb moves a little
      {1000, 99, 902, 900},    // the page takes the rest of the 1001 positions
      {1005, 99, 902, 910},
      {200000, 0, 1000, 199917},  // nine bytes a row; a page below one position of the bar
  };
  for (const Case& c : cases) {
    ViewFixture f;
    f.open(c.size);
    SCOPED_TRACE(testing::Message() << c.size << " bytes");
    EXPECT_EQ(f.view.scrollPage(), c.page);
    EXPECT_EQ(f.view.scrollBarMaximum(), c.maximum);
    EXPECT_EQ(f.view.lastPageTop(), c.lastPageTop);
    // A drag to the thumb's lowest place shows the last page with every row filled.
    f.view.scroll(ScrollRequest::ThumbTrack, c.maximum);
    f.view.scroll(ScrollRequest::ThumbPosition);
    EXPECT_EQ(f.view.topOffset(), c.lastPageTop);
    EXPECT_EQ(f.view.shownBytes(), std::min<std::uint32_t>(c.size, c.size - c.lastPageTop));
    EXPECT_EQ(f.view.scrollThumb(), c.lastPageTop > 0 ? c.maximum : 0);
  }

  ViewFixture f;
  f.open(1000);
  EXPECT_FALSE(f.view.scroll(ScrollRequest::Top));  // already there
  EXPECT_TRUE(f.view.scroll(ScrollRequest::Bottom));
  EXPECT_EQ(f.view.topOffset(), 900u);
  EXPECT_EQ(f.view.scrollBarPosition(), 1000);  // the last page is on screen
  EXPECT_EQ(f.view.scrollThumb(), 902);
  EXPECT_FALSE(f.view.scroll(ScrollRequest::Bottom));
  EXPECT_TRUE(f.view.scroll(ScrollRequest::LineDown));  // lines may still go past the last page
  EXPECT_EQ(f.view.topOffset(), 910u);
  EXPECT_EQ(f.view.scrollThumb(), 902);
  EXPECT_TRUE(f.view.scroll(ScrollRequest::LineUp));
  EXPECT_TRUE(f.view.scroll(ScrollRequest::LineUp));
  EXPECT_EQ(f.view.scrollBarPosition(), 881);  // row 89 of 101
  EXPECT_TRUE(f.view.scroll(ScrollRequest::Bottom));  // from past the last page back to it
  EXPECT_TRUE(f.view.scroll(ScrollRequest::LineDown));
  EXPECT_TRUE(f.view.scroll(ScrollRequest::Bottom));
  EXPECT_EQ(f.view.topOffset(), 900u);
  EXPECT_TRUE(f.view.scroll(ScrollRequest::Top));
  EXPECT_EQ(f.view.topOffset(), 0u);
  EXPECT_EQ(f.view.scrollThumb(), 0);
}

TEST(HexViewScroll, ASwipeMovesByWholeRowsUpToTheLastPage) {
  ViewFixture f;
  f.open(1000);
  EXPECT_FALSE(f.view.scrollToRow(0));
  EXPECT_TRUE(f.view.scrollToRow(42));
  EXPECT_EQ(f.view.topOffset(), 420u);
  EXPECT_EQ(f.view.scrollBarPosition(), 415);  // 42 * 1000 / 101
  EXPECT_TRUE(f.view.scrollToRow(0xFFFFFFFFFFull));
  EXPECT_EQ(f.view.topOffset(), 900u);  // the last page, full
  EXPECT_EQ(f.view.scrollBarPosition(), 1000);
  EXPECT_FALSE(f.view.scrollToRow(95));
  ViewFixture small;
  small.open(50);  // fits one screen: a swipe moves nothing
  EXPECT_FALSE(small.view.scrollToRow(3));
  EXPECT_EQ(small.view.topOffset(), 0u);
}

TEST(HexViewScroll, GotoOnAFileThatFitsOneScreenKeepsTheTopRow) {
  ViewFixture f;
  f.open(50);  // five rows, ten fit
  f.view.gotoOffset(25);
  EXPECT_EQ(f.view.topOffset(), 0u);
  f.view.scroll(ScrollRequest::LineDown);
  f.view.gotoOffset(35);
  EXPECT_EQ(f.view.topOffset(), 10u);
  f.view.gotoOffset(5);  // the first row always becomes the top row
  EXPECT_EQ(f.view.topOffset(), 0u);
  f.view.gotoOffset(51);  // past the end: nothing
  EXPECT_EQ(f.view.topOffset(), 0u);
}

TEST(HexViewScroll, ArrowKeysGoToTheEndsAndPage) {
  ViewFixture f;
  f.open(1000);
  f.view.arrowKey(ArrowKey::Right);
  EXPECT_EQ(f.view.topOffset(), 990u);  // the row of the last byte at the top
  EXPECT_EQ(f.view.shownBytes(), 10u);
  EXPECT_EQ(f.view.scrollBarPosition(), 980);  // 99 * 1000 / 101, no special end value
  f.view.arrowKey(ArrowKey::Up);
  EXPECT_EQ(f.view.topOffset(), 890u);
  f.view.arrowKey(ArrowKey::Down);
  EXPECT_EQ(f.view.topOffset(), 990u);
  f.view.arrowKey(ArrowKey::Left);
  EXPECT_EQ(f.view.topOffset(), 0u);
  ViewFixture empty;
  empty.open(0);
  empty.view.arrowKey(ArrowKey::Right);
  EXPECT_EQ(empty.view.topOffset(), 0u);
}

TEST(HexViewScroll, PositionsOfAFileJustBelowFourGigabytesDoNotOverflow) {
  const std::uint32_t size = 0xFFFFFFFFu;
  void* map = mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  ASSERT_NE(map, MAP_FAILED);
  test::FixedMeasure measure;
  HexView view(measure);
  view.relayout(0, 0, 480, 160, ViewFrame{});
  view.setData(static_cast<std::uint8_t*>(map), size, 0);
  EXPECT_EQ(view.offsetDigits(), 9);  // 0x10000000F keeps its ninth digit
  ASSERT_EQ(view.bytesPerRow(), 12u);
  ASSERT_EQ(view.totalRows(), 357913942u);
  view.scroll(ScrollRequest::ThumbTrack, 500);
  EXPECT_EQ(view.topOffset(), 178956971u * 12);
  view.gotoOffset(size / 2);
  EXPECT_EQ(view.scrollBarPosition(), 499);
  view.arrowKey(ArrowKey::Right);
  EXPECT_EQ(view.topOffset(), size - size % 12);  // 0xFFFFFFFE's row
  view.scroll(ScrollRequest::ThumbPosition);
  EXPECT_EQ(view.scrollBarPosition(), 1000);
  munmap(map, size);
}

}  // namespace
}  // namespace nibblet
