#pragma once
// A HexView over a byte buffer with fixed metrics: characters 8 x 16 pixels, so a byte costs
// 32 pixels ("ff " and its text character) and a row is 16 pixels high.

#include <cstdint>
#include <vector>

#include "core/view/hex_view.h"
#include "fixed_measure.h"

namespace nibblet::test {

struct ViewFixture {
  FixedMeasure measure;
  HexView view{measure};
  std::vector<std::uint8_t> data;

  // A file of `size` bytes holding 0, 1, 2, ... (mod 256) in a client area of width x height.
  void open(std::uint32_t size, int width = 360, int height = 160) {
    data.resize(size);
    for (std::uint32_t i = 0; i < size; ++i) data[i] = static_cast<std::uint8_t>(i);
    view.relayout(0, 0, width, height, ViewFrame{});
    view.setData(data.data(), size, 0);
    view.setEditable(true);
  }

  // Taps byte `offset` in the hex column after scrolling its row to the top; true when the view
  // took it as a tap on that byte.
  bool tapByte(std::uint32_t offset) {
    view.gotoOffset(offset);
    Rect cell;
    if (!view.hexCell(offset, cell)) return false;
    return view.tap(cell.left + 2, cell.top + 2) == TapResult::Byte && view.tapOffset() == offset;
  }
};

}  // namespace nibblet::test
