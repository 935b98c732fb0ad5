#include "core/app/window_placement.h"

#include <algorithm>
#include <cmath>

namespace nibblet {
namespace {

int scaled(int n, int dpi) { return (n * dpi + 48) / 96; }

}  // namespace

bool isHandHeld(const ScreenFacts& s) {
  if (s.fullScreenShell) return true;
  if (s.physicalWidthMm > 0 && s.physicalHeightMm > 0 &&
      std::hypot(s.physicalWidthMm, s.physicalHeightMm) < kHandHeldDiagonalMm)
    return true;
  int width = s.available.right - s.available.left;
  int height = s.available.bottom - s.available.top;
  return std::min(width, height) <= kHandHeldShortSide && std::max(width, height) <= kHandHeldLongSide;
}

Rect windowPlacement(const ScreenFacts& s) {
  const Rect& a = s.available;
  if (isHandHeld(s)) {
    // The band is kept for a shell's status line above a window the program placed itself;
    // a compositor that places windows fits them to its own panels.
    const int band = s.placesWindows ? scaled(26, s.dpiY) : 0;
    return {a.left, std::min(a.top + band, a.bottom - 1), a.right, a.bottom};
  }
  int areaWidth = a.right - a.left, areaHeight = a.bottom - a.top;
  int height = std::max(1, std::min(areaHeight - scaled(60, s.dpiY), scaled(860, s.dpiY)));
  int width = std::max(1, std::min(scaled(480, s.dpiX), height * 3 / 5));
  int left = a.left + (areaWidth - width) / 2;
  int top = a.top + (areaHeight - height) / 2;
  return {left, top, left + width, top + height};
}

}  // namespace nibblet
