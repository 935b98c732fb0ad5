#pragma once
// What several offscreen tests of the real window share: a poller that drives modal dialogs
// and menus as they come (never a bare one-shot timer), and a new size for the offscreen
// platform's screen, as a rotation gives.

#include <QCoreApplication>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QTimer>
#include <functional>
#include <qpa/qplatformnativeinterface.h>

namespace nibblet::test {

// Calls `step` every 20 ms until it returns true. A step that opens a nested modal loop is not
// entered again while it runs; another Poller handles what that loop shows.
class Poller {
 public:
  explicit Poller(std::function<bool()> step) : m_step(std::move(step)) {
    m_timer.setInterval(20);
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
      if (m_busy) return;
      m_busy = true;
      bool finished = m_step();
      m_busy = false;
      if (finished) m_timer.stop();
    });
    m_timer.start();
  }
  bool done() const { return !m_timer.isActive(); }

 private:
  std::function<bool()> m_step;
  QTimer m_timer;
  bool m_busy = false;
};

// Gives the offscreen platform's one screen a new size, as a rotation does.
inline void setScreen(int width, int height) {
  QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
  auto set = reinterpret_cast<void (*)(QJsonObject, QPlatformNativeInterface*)>(
      native->nativeResourceForIntegration("setConfiguration"));
  QJsonObject screen{{"name", ""}, {"x", 0}, {"y", 0}, {"width", width}, {"height", height}, {"logicalDpi", 96},
                     {"logicalBaseDpi", 96}, {"dpr", 1.0}};
  // No window manager draws frames on a hand-held shell.
  set(QJsonObject{{"screens", QJsonArray{screen}}, {"windowFrameMargins", false}}, native);
  QCoreApplication::processEvents();
}

}  // namespace nibblet::test
