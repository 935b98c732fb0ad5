#pragma once
// Where the main window goes on a screen. A hand-held's window fills the work area whatever the
// screen's orientation, below the 26-pixel band its shell keeps at the top; a desktop gets a
// portrait window in the middle of its screen. What counts as a hand-held is decided from the
// screen itself, so a landscape kiosk or a turned phone is not taken for a desktop. Where the
// display server places windows itself (Wayland), only the size counts and no band is kept.

#include "core/view/view_types.h"

namespace nibblet {

struct ScreenFacts {
  Rect available;                 // the work area the shell leaves, in logical pixels
  int physicalWidthMm = 0;        // the screen's reported size; 0 when unknown
  int physicalHeightMm = 0;
  int dpiX = 96;                  // logical dots per inch, for lengths given at 96
  int dpiY = 96;
  bool fullScreenShell = false;   // a platform or shell that shows every window full-screen
  bool placesWindows = true;      // false where the display server places every window itself
};

// Diagonals below this many millimetres (9 inches) are hand-held screens.
constexpr int kHandHeldDiagonalMm = 229;
// Screens whose sides in logical pixels fit these bounds are hand-held too: the size a phone,
// a handheld or a small kiosk panel reports when its physical size is unknown or made up.
constexpr int kHandHeldShortSide = 600;
constexpr int kHandHeldLongSide = 1280;

// True for a full-screen shell, a screen with a physical diagonal under 9 inches, or a screen
// no larger than 600 x 1280 logical pixels in either orientation.
bool isHandHeld(const ScreenFacts& screen);

// The main window's geometry on `screen`: on a hand-held the work area with its top moved down
// by 26 pixels (scaled), or the whole work area where the program places no windows; on a
// desktop a portrait window, 480 x 860 pixels at most (scaled) and never wider than 3/5 of its
// height, centred in the work area. Dialogs that cover the main window take the same place.
Rect windowPlacement(const ScreenFacts& screen);

}  // namespace nibblet
