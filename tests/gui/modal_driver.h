#pragma once
// Drives a modal dialog, message box or pop-up menu that a test expects to come up, without
// ever hanging the test: it looks for the dialog again and again until a deadline, and when the dialog never
// comes, a check inside failed, or an unexpected box stands in the way, it closes what is open
// so the call that opened it returns and the test fails at once instead of at the time-out.

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace nibblet::test {

class ModalDriver {
 public:
  using Match = std::function<bool(QWidget*)>;
  using Use = std::function<void(QWidget*)>;

  // Starts looking for a pop-up or modal widget that `match` accepts and hands it to `use` once. Looks
  // every 10 ms for at most `deadlineMs`.
  ModalDriver(Match match, Use use, int deadlineMs = 10000) : m_match(std::move(match)), m_use(std::move(use)) {
    m_clock.start();
    m_timer.setInterval(10);
    QObject::connect(&m_timer, &QTimer::timeout, [this, deadlineMs] { look(deadlineMs); });
    m_timer.start();
  }
  ~ModalDriver() { m_timer.stop(); }
  ModalDriver(const ModalDriver&) = delete;
  ModalDriver& operator=(const ModalDriver&) = delete;

  bool seen() const { return m_seen; }

  // Closes every open pop-up and modal widget: a message box by its No (else its first) button,
  // which the program's Yes/No questions accept where Escape does nothing; a dialog by reject.
  static void closeAll() {
    for (int guard = 0; guard < 20; ++guard) {
      QWidget* w = shown();
      if (!w) return;
      if (auto* box = qobject_cast<QMessageBox*>(w)) {
        QAbstractButton* b = box->button(QMessageBox::No);
        if (!b && !box->buttons().isEmpty()) b = box->buttons().first();
        if (b) b->click();
        else box->close();
      } else if (auto* d = qobject_cast<QDialog*>(w)) {
        d->reject();
      } else {
        w->close();
      }
      QApplication::processEvents();
    }
  }

 private:
  static QWidget* shown() {
    QWidget* popup = QApplication::activePopupWidget();
    return popup ? popup : QApplication::activeModalWidget();
  }

  void look(int deadlineMs) {
    if (m_busy) return;  // `use` may spin an event loop of its own
    QWidget* w = shown();
    if (w && w->isVisible() && m_match(w)) {
      m_timer.stop();
      m_seen = true;
      m_busy = true;
      m_use(w);
      m_busy = false;
      // A check that failed inside `use` returned early and left the dialog open.
      if (QTest::currentTestFailed()) closeAll();
      return;
    }
    if (m_clock.elapsed() > deadlineMs) {
      m_timer.stop();
      closeAll();
    }
  }

  Match m_match;
  Use m_use;
  QTimer m_timer;
  QElapsedTimer m_clock;
  bool m_seen = false;
  bool m_busy = false;
};

// A pop-up or modal widget whose objectName is `name`.
inline ModalDriver::Match named(const QString& name) {
  return [name](QWidget* w) { return w->objectName() == name; };
}

// Any message box.
inline ModalDriver::Match messageBox() {
  return [](QWidget* w) { return qobject_cast<QMessageBox*>(w) != nullptr; };
}

// Any pop-up menu.
inline ModalDriver::Match popupMenu() {
  return [](QWidget* w) { return w->inherits("QMenu"); };
}

}  // namespace nibblet::test
