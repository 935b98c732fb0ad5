#include "gui/platform/physical_size.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace nibblet {

int physicalPixels(double millimetres, const QWidget* widget) {
  QScreen* screen = widget ? widget->screen() : nullptr;
  if (!screen) screen = QGuiApplication::primaryScreen();
  // The denser axis, so the length is reached across and along.
  double dpi = screen ? std::max(screen->physicalDotsPerInchX(), screen->physicalDotsPerInchY()) : 0.0;
  // Some displays report a physical size of nothing or of a projector wall.
  if (!std::isfinite(dpi) || dpi < 20.0 || dpi > 2000.0) dpi = 96.0;
  return static_cast<int>(std::ceil(millimetres * dpi / 25.4));
}

}  // namespace nibblet
