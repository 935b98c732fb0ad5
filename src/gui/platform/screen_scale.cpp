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

bool isFullScreenShell() {
  const QString platform = QGuiApplication::platformName();
  if (platform == "eglfs" || platform == "linuxfb" || platform == "minimalegl") return true;
  if (qEnvironmentVariableIntValue("QT_QUICK_CONTROLS_MOBILE") == 1) return true;
  const QString desktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP").toLower();
  for (const char* shell : {"phosh", "plasma-mobile", "plasmamobile", "lomiri", "sxmo"})
    if (desktop.contains(QLatin1String(shell))) return true;
  return false;
}

}  // namespace nibblet
