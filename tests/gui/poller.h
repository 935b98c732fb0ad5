#pragma once
// Drives windows that a modal loop shows: the step is called every 20 ms until it says it is
// done, so a test never depends on when the window comes.

#include <QObject>
#include <QTimer>

#include <functional>
#include <utility>

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

}  // namespace nibblet::test
