#include "gui/app/first_paint_report.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>

namespace nibblet {
namespace {

long peakMemoryKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  return -1;
}

class PaintWatcher : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && !m_seen) {
      m_seen = true;
      // Report once the paint itself has been done.
      QTimer::singleShot(0, qApp, [] {
        timespec now;
        clock_gettime(CLOCK_REALTIME, &now);
        std::printf("first paint at %lld.%09ld, peak memory %ld KiB\n", static_cast<long long>(now.tv_sec),
                    now.tv_nsec, peakMemoryKiB());
        std::fflush(stdout);
        QApplication::exit(0);
      });
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  bool m_seen = false;
};

}  // namespace

void reportFirstPaint(QWidget* view) {
  if (!std::getenv("NIBBLET_REPORT_FIRST_PAINT")) return;
  view->installEventFilter(new PaintWatcher(view));
}

}  // namespace nibblet
