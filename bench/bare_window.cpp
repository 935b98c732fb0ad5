// The baseline of first_paint.sh: a bare Qt window, started the way the program starts (a
// QApplication, one top-level widget shown) and showing one line of text in the default font, as
// the smallest window with text does; it prints when its first paint is done and its peak
// memory, in the program's own words, then quits.

#include <QApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>

namespace {

long peakMemoryKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  return -1;
}

class Window : public QWidget {
 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("00000000: 4e 69 62 62 6c 65 74 00  Nibblet."));
    if (m_seen) return;
    m_seen = true;
    QTimer::singleShot(0, qApp, [] {
      timespec now;
      clock_gettime(CLOCK_REALTIME, &now);
      std::printf("first paint at %lld.%09ld, peak memory %ld KiB\n", static_cast<long long>(now.tv_sec), now.tv_nsec,
                  peakMemoryKiB());
      std::fflush(stdout);
      QApplication::exit(0);
    });
  }

 private:
  bool m_seen = false;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  Window window;
  window.resize(480, 800);
  window.show();
  return QApplication::exec();
}
