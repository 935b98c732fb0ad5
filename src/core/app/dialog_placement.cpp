#include "core/app/dialog_placement.h"

#include <algorithm>

namespace nibblet {
namespace {

// `start` moved as little as needed to put [start, start + length) inside [low, high); a
// length that does not fit starts at `low`.
int keepInside(int start, int length, int low, int high) {
  return std::max(low, std::min(start, high - length));
}

}  // namespace

Rect placeDialog(const DialogRequest& r) {
  const FrameMargins& f = r.frame;
  const int roomWidth = (r.area.right - r.area.left) - f.left - f.right;
  const int roomHeight = (r.area.bottom - r.area.top) - f.top - f.bottom;
  const int width = std::max(1, std::min(r.width, roomWidth));
  const int height = std::max(1, std::min(r.height, roomHeight));
  const int frameWidth = width + f.left + f.right;
  const int frameHeight = height + f.top + f.bottom;
  const bool hasOwner = r.owner.right > r.owner.left && r.owner.bottom > r.owner.top;
  const Rect& centre = hasOwner ? r.owner : r.area;
  int left = (centre.left + centre.right) / 2 - frameWidth / 2;
  int top = (centre.top + centre.bottom) / 2 - frameHeight / 2;
  left = keepInside(left, frameWidth, r.area.left, r.area.right) + f.left;
  top = keepInside(top, frameHeight, r.area.top, r.area.bottom) + f.top;
  return {left, top, left + width, top + height};
}

SheetPlacement placeSheet(const SheetRequest& r) {
  const int window = std::max(0, r.windowHeight);
  const int wanted = std::max(1, r.height);
  if (r.rowBottom <= r.rowTop) return {std::max(0, window - wanted), std::min(wanted, window), 0};
  const int below = window - r.rowBottom;
  const int above = r.rowTop;
  if (wanted <= below) return {window - wanted, wanted, 0};
  if (wanted <= above) return {0, wanted, 0};
  if (r.mayScroll) {
    const int rowHeight = r.rowBottom - r.rowTop;
    const int target = std::max(r.viewTop, window - wanted - rowHeight);
    if (target < r.rowTop) return {0, 0, r.rowTop - target};
  }
  if (below >= above) return {r.rowBottom, std::max(0, below), 0};
  return {0, std::max(0, above), 0};
}

}  // namespace nibblet
