#pragma once
// The 13 toolbar images (bitmaps 107 and 108), drawn in code: 0 Hex, 1 Text, 2 Unicode text,
// 3 Search at first, 4 Ok, 5 Cancel, 6 Copy, 7 Paste, 8 Search, 9 Search next, 10 Next diff,
// 11 Undo, 12 Undo All. Dialog 930's bar uses 0-7, the main window's toolbar 8-12.

#include <QIcon>
#include <QPixmap>

class QToolBar;

namespace nibblet {

constexpr int kToolbarImageCount = 13;
constexpr int kToolbarImageSize = 16;

// Image `index` (0-12; others give an empty image) as 16 x 16 logical pixels. At 96 dots per
// inch it is drawn with 16 x 16 device pixels (bitmap 107), otherwise at the screen's scale
// (bitmap 108), so it stays sharp.
QPixmap toolbarImage(int index, int dpiX = 96);
QIcon toolbarIcon(int index, int dpiX = 96);

// Sizes the buttons of `bar`, whose actions carry their image index as data: 16 x 16 images
// (scaled for `dpiX`) on a desktop; on a hand-held buttons of at least `finger` pixels with
// images drawn at two thirds of that, so they stay sharp.
void sizeToolbar(QToolBar* bar, int dpiX, int finger);

}  // namespace nibblet
