#pragma once
// Small value types the hex view hands to its widget: cell rectangles, marks, scroll requests
// and what a tap hit.

#include <cstdint>

namespace nibblet {

// An offset that names no byte: no selection end, no tapped byte, no search hit.
constexpr std::uint32_t kNoOffset = 0xFFFFFFFFu;

// Pixel rectangle in the view's client area; right and bottom are exclusive.
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

// The mark kinds in paint order: a later one covers an earlier one.
enum class MarkKind { Change, Difference, Selection, SearchResult, EntryMarker };
constexpr int kMarkKindCount = 5;

// One marked byte: the hex cell and the text cell to fill with the colour of `kind`.
struct Mark {
  MarkKind kind;
  std::uint32_t offset;
  Rect hexCell;
  Rect textCell;
};

// Requests of the vertical scroll bar. Top and Bottom come from the bar's own menu.
enum class ScrollRequest {
  LineUp, LineDown, PageUp, PageDown, ThumbPosition, ThumbTrack, Top, Bottom, Other
};

// The four arrow keys the main window forwards.
enum class ArrowKey { Left, Right, Up, Down };

// What a stylus-down on the view means.
enum class TapResult {
  Goto,     // the offset column: open Goto
  Byte,     // a byte of an editable view: tapOffset and the other tap fields are set
  Nothing,  // anywhere else, a byte past the end, or a byte of a view that is not editable
};

// The entry marker: drawn while Shown, hidden by a relayout during an entry.
enum class Marker { None, Shown, Hidden };

}  // namespace nibblet
