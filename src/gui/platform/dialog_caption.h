#pragma once
// A dialog's caption shown inside the dialog, in a band along its top like the main window's
// title bar: on a hand-held shell or a kiosk no window manager draws frames, so a caption
// left to the frame ("Save", "Error", "Delete ?") would never be seen.

class QGridLayout;
class QLabel;
class QWidget;

namespace nibblet {

struct ScreenScale;

// The caption label itself, for a dialog that places it in its own layout.
QLabel* makeCaptionLabel(QWidget* dialog, const ScreenScale& scale);

// For a dialog whose controls sit at fixed places: makes it one band taller, moves every
// control down by the band and puts the window title in the band. Returns the band's height.
int addCaptionBand(QWidget* dialog, const ScreenScale& scale);

// For a dialog laid out by a grid: moves every item one row down and puts the window title in
// the new first row, across all columns.
void addCaptionRow(QWidget* dialog, QGridLayout* grid, const ScreenScale& scale);

}  // namespace nibblet
