#pragma once
// Where dialogs go. A dialog window lies inside the area its screen leaves for it, centred over
// its owner and never larger than that area; a sheet (a dialog shown inside the main window)
// lies along the window's bottom or top edge so that the row the user is working on stays in
// view, and asks for the view to scroll when neither edge leaves room for it.

#include "core/view/view_types.h"

namespace nibblet {

// What a window manager's frame adds on each side of a window's client area.
struct FrameMargins {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

struct DialogRequest {
  Rect area;            // where the dialog's frame may lie, in screen pixels
  Rect owner;           // the owner window's frame; empty to centre in the area
  int width = 0;        // the client size the dialog asks for
  int height = 0;
  FrameMargins frame;   // the frame around the client area; none without a window manager
};

// The dialog's client rectangle: the asked size cut to the area less the frame (never below
// 1 x 1), centred over the owner and moved as little as needed to keep the frame in the area.
Rect placeDialog(const DialogRequest& request);

struct SheetRequest {
  int windowHeight = 0;  // the client height of the window that holds the sheet
  int rowTop = 0;        // the row to keep in view, in the window's coordinates; a row whose
  int rowBottom = 0;     // bottom is not below its top counts as none
  int viewTop = 0;       // the highest place a scroll of the view can bring the row's top to
  int height = 0;        // the height the sheet asks for
  bool mayScroll = true; // whether the view may still be scrolled for the sheet
};

struct SheetPlacement {
  int top = 0;       // the sheet's top edge in the window
  int height = 0;    // its height, never more than the window's; its content scrolls when less
                     // than it asked for
  int scrollBy = 0;  // pixels to move the row up before placing again; 0 when it may stay
};

// Along the bottom edge when the sheet fits below the row, else along the top edge when it
// fits above it. When neither fits and the view may scroll, asks for the row to move up to
// where the sheet fits below it, but not above viewTop. Otherwise the sheet takes the larger
// side of the row. Without a row the sheet stands along the bottom edge.
SheetPlacement placeSheet(const SheetRequest& request);

}  // namespace nibblet
