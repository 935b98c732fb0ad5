#include "gui/platform/screen_scale.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace nibblet {

ScreenScale readScreenScale() {
  ScreenScale s;
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    s.dpiX = static_cast<int>(std::lround(screen->logicalDotsPerInchX()));
    s.dpiY = static_cast<int>(std::lround(screen->logicalDotsPerInchY()));
    if (s.dpiX <= 0) s.dpiX = 96;
    if (s.dpiY <= 0) s.dpiY = 96;
  }
  return s;
}

}  // namespace nibblet
