#pragma once
// The screen's dots per inch, read once at start, and the rule that turns lengths given for
// 96 dots per inch into device pixels.

namespace nibblet {

struct ScreenScale {
  int dpiX = 96;
  int dpiY = 96;
  // The screen's physical density, for targets a finger must hit whatever the logical scale.
  int physicalDpiX = 96;
  int physicalDpiY = 96;
  // n pixels at 96 dpi in device pixels: (n * dpi + 48) / 96.
  int x(int n) const { return (n * dpiX + 48) / 96; }
  int y(int n) const { return (n * dpiY + 48) / 96; }
  // A length of `mm` millimetres on the glass in device pixels, rounded up.
  int mmX(int mm) const { return (mm * physicalDpiX * 10 + 253) / 254; }
  int mmY(int mm) const { return (mm * physicalDpiY * 10 + 253) / 254; }
};

// Reads the primary screen's logical dots per inch (96 when there is no screen).
ScreenScale readScreenScale();

// True where every window is shown full-screen: a platform without windows of its own (eglfs,
// linuxfb) or a mobile shell (Phosh, Plasma Mobile, Lomiri, Sxmo, or QT_QUICK_CONTROLS_MOBILE).
bool isFullScreenShell();

}  // namespace nibblet
