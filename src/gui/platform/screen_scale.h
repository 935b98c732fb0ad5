#pragma once
// The screen's dots per inch, read once at start, and the rule that turns lengths given for
// 96 dots per inch into device pixels.

namespace nibblet {

struct ScreenScale {
  int dpiX = 96;
  int dpiY = 96;

  // n pixels at 96 dpi in device pixels: (n * dpi + 48) / 96.
  int x(int n) const { return (n * dpiX + 48) / 96; }
  int y(int n) const { return (n * dpiY + 48) / 96; }
};

// Reads the primary screen's logical dots per inch (96 when there is no screen).
ScreenScale readScreenScale();

// True where every window is shown full-screen: a platform without windows of its own (eglfs,
// linuxfb) or a mobile shell (Phosh, Plasma Mobile, Lomiri, Sxmo, or QT_QUICK_CONTROLS_MOBILE).
bool isFullScreenShell();

}  // namespace nibblet
