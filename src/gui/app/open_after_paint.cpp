#include "gui/app/open_after_paint.h"

#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace nibblet {
namespace {

constexpr int kLatestMs = 1000;

class FirstPaintWatcher : public QObject {
 public:
  FirstPaintWatcher(QWidget* window, std::function<void()> work) : QObject(window), m_work(std::move(work)) {
    window->installEventFilter(this);
    QTimer::singleShot(kLatestMs, this, [this] { run(); });
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    // Queued, so the work starts once the paint itself is done and on the screen.
    if (event->type() == QEvent::Paint && !m_queued) {
      m_queued = true;
      QTimer::singleShot(0, this, [this] { run(); });
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  void run() {
    if (m_done) return;
    m_done = true;
    parent()->removeEventFilter(this);
    std::function<void()> work = std::move(m_work);
    deleteLater();
    work();
  }

  std::function<void()> m_work;
  bool m_queued = false;
  bool m_done = false;
};

}  // namespace

void runAfterFirstPaint(QWidget* window, std::function<void()> work) {
  new FirstPaintWatcher(window, std::move(work));
}

}  // namespace nibblet
