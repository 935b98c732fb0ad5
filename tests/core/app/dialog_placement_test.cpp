#include "core/app/dialog_placement.h"

#include <gtest/gtest.h>

namespace nibblet {
namespace {

bool inside(const Rect& inner, const Rect& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

TEST(DialogPlacement, CentredOverTheOwnerAndKeptInsideTheArea) {
  DialogRequest r;
  r.area = {0, 0, 1280, 1024};
  r.owner = {0, 0, 480, 640};
  r.width = 200;
  r.height = 120;
  EXPECT_EQ(placeDialog(r), (Rect{140, 260, 340, 380}));
  // The owner's place counts; a dialog wider than a small owner still fits the area.
  r.owner = {700, 100, 801, 151};
  EXPECT_EQ(placeDialog(r), (Rect{650, 65, 850, 185}));
  r.owner = {1200, 980, 1280, 1024};
  EXPECT_EQ(placeDialog(r), (Rect{1080, 904, 1280, 1024}));

  // Too large for a 240 x 320 hand-held below its band: cut to the area, frame included.
  r.area = {0, 26, 240, 320};
  r.owner = r.area;
  r.width = 376;
  r.height = 400;
  r.frame = {2, 20, 2, 2};
  Rect fitted = placeDialog(r);
  EXPECT_EQ(fitted, (Rect{2, 46, 238, 318}));
  EXPECT_TRUE(inside({fitted.left - 2, fitted.top - 20, fitted.right + 2, fitted.bottom + 2}, r.area));
  // No room at all still gives a window of one pixel.
  r.area = {0, 0, 3, 3};
  Rect tiny = placeDialog(r);
  EXPECT_EQ(tiny.right - tiny.left, 1);
  EXPECT_EQ(tiny.bottom - tiny.top, 1);
}

TEST(DialogPlacement, ASheetLeavesTheRowInView) {
  // A 454-pixel window, rows of 16 pixels starting at 40.
  SheetRequest r;
  r.windowHeight = 454;
  r.viewTop = 40;
  r.height = 225;
  r.rowTop = 100;
  r.rowBottom = 116;
  SheetPlacement p = placeSheet(r);  // room below: along the bottom edge
  EXPECT_EQ(p.top, 229);
  EXPECT_EQ(p.height, 225);
  EXPECT_EQ(p.scrollBy, 0);
  r.rowTop = 300;
  r.rowBottom = 316;
  p = placeSheet(r);  // room above only: along the top edge
  EXPECT_EQ(p.top, 0);
  EXPECT_EQ(p.scrollBy, 0);
  r.rowTop = 216;
  r.rowBottom = 232;
  p = placeSheet(r);  // room on neither side: the row moves up to where the sheet fits below
  EXPECT_EQ(p.scrollBy, 216 - (454 - 225 - 16));
  r.mayScroll = false;
  p = placeSheet(r);  // the view could not scroll: the larger side, the content scrolls
  EXPECT_EQ(p.top, 232);
  EXPECT_EQ(p.height, 454 - 232);

  // A window too low for the sheet: the row goes to the top of the view at most, and the
  // sheet never covers it.
  r = SheetRequest{};
  r.windowHeight = 294;
  r.viewTop = 40;
  r.height = 400;
  r.rowTop = 120;
  r.rowBottom = 136;
  p = placeSheet(r);
  EXPECT_EQ(p.scrollBy, 80);
  r.rowTop -= p.scrollBy;
  r.rowBottom -= p.scrollBy;
  r.mayScroll = false;
  p = placeSheet(r);
  EXPECT_EQ(p.top, 56);
  EXPECT_EQ(p.height, 294 - 56);
  // Without a row the sheet stands along the bottom, never taller than the window.
  r.rowTop = r.rowBottom = 0;
  p = placeSheet(r);
  EXPECT_EQ(p.top, 0);
  EXPECT_EQ(p.height, 294);
}

}  // namespace
}  // namespace nibblet
