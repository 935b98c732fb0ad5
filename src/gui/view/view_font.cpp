#include "gui/view/view_font.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <algorithm>

namespace nibblet {
namespace {

int lineHeightAt(QFont font, int pixelSize) {
  font.setPixelSize(pixelSize);
  return QFontMetrics(font).height();
}

}  // namespace

QFont viewFont(int cellHeight, FontWeight weight, FontSmoothing smoothing) {
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setFixedPitch(true);
  font.setWeight(weight == FontWeight::Bold ? QFont::Bold : QFont::Normal);
  // Whole-pixel advances: the cells are placed by multiplying the widths of "FF" and " ".
  font.setHintingPreference(QFont::PreferFullHinting);
  font.setStyleStrategy(smoothing == FontSmoothing::Antialiased ? QFont::PreferAntialias : QFont::NoAntialias);

  // A font's line height is its ascent plus descent, a little more than its pixel size (about
  // 1.16 times for the usual faces), so the search starts at the cell height and walks down;
  // then up, for the rare face whose lines are lower than its pixel size.
  const int target = std::max(1, cellHeight);
  int size = target;
  while (size > 1 && lineHeightAt(font, size) > target) --size;
  while (size < 4 * target && lineHeightAt(font, size + 1) <= target) ++size;
  font.setPixelSize(size);
  return font;
}

}  // namespace nibblet
