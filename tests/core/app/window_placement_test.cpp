#include <gtest/gtest.h>

#include "core/app/window_placement.h"

namespace nibblet {
namespace {

ScreenFacts screen(int width, int height, int widthMm = 0, int heightMm = 0) {
  ScreenFacts s;
  s.available = {0, 0, width, height};
  s.physicalWidthMm = widthMm;
  s.physicalHeightMm = heightMm;
  return s;
}

TEST(WindowPlacement, HandHeldScreensInEitherOrientationAreFilled) {
  // Portrait and landscape of the same panel, with a made-up physical size (a virtual display
  // at 96 dpi reports 127 x 212 mm for 480 x 800).
  for (ScreenFacts s : {screen(480, 800, 127, 212), screen(800, 480, 212, 127), screen(1280, 600)}) {
    EXPECT_TRUE(isHandHeld(s));
    Rect r = windowPlacement(s);
    EXPECT_EQ(r, (Rect{0, 26, s.available.right, s.available.bottom}));
  }
  // A 5-inch phone with a large pixel count is still a hand-held.
  EXPECT_TRUE(isHandHeld(screen(1080, 2160, 62, 124)));
  ScreenFacts kiosk = screen(1920, 1080);
  kiosk.fullScreenShell = true;
  EXPECT_TRUE(isHandHeld(kiosk));
  // A compositor that places windows itself fits them to its panels: no band is kept.
  ScreenFacts composited = screen(480, 800);
  composited.placesWindows = false;
  EXPECT_EQ(windowPlacement(composited), (Rect{0, 0, 480, 800}));
}

TEST(WindowPlacement, DesktopsGetACentredPortraitWindow) {
  ScreenFacts desktop = screen(1920, 1080, 530, 300);
  desktop.available = {0, 32, 1920, 1080};  // a panel at the top
  EXPECT_FALSE(isHandHeld(desktop));
  Rect r = windowPlacement(desktop);
  EXPECT_EQ(r.bottom - r.top, 860);
  EXPECT_EQ(r.right - r.left, 480);
  EXPECT_EQ(r.left, 720);
  EXPECT_EQ(r.top, 32 + (1048 - 860) / 2);
  // A wide but low screen keeps the window portrait.
  Rect low = windowPlacement(screen(1600, 700));
  EXPECT_LE((low.right - low.left) * 5, (low.bottom - low.top) * 3);
  // Twice the density, twice the pixels.
  ScreenFacts dense = screen(3840, 2160, 600, 340);
  dense.dpiX = dense.dpiY = 192;
  EXPECT_EQ(windowPlacement(dense).right - windowPlacement(dense).left, 960);
}

}  // namespace
}  // namespace nibblet
