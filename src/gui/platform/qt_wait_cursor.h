#pragma once
// The wait cursor as Qt's application override cursor, and a progress bar for long work: a
// finger on a touch screen sees no cursor, so work that takes longer than a moment also shows a
// bar in the window (percent done where known) and keeps the window painted meanwhile. Input is
// held back until the work is done, so nothing can change under it.

#include <QElapsedTimer>
#include <QPointer>
#include <QProgressBar>

#include "core/platform/wait_cursor.h"


namespace nibblet {

class QtWaitCursor : public WaitCursor {
 public:
  void begin() override;
  void end() override;
  bool progress(std::uint64_t done, std::uint64_t total) override;

  // The window the progress bar shows in; none shows no bar.
  void setHost(QWidget* window) { m_host = window; }
  // How long work runs before the bar shows, in milliseconds (300 unless a test says otherwise).
  void setShowAfter(int milliseconds) { m_showAfter = milliseconds; }
  bool isBusy() const { return m_depth > 0; }
  // The bar, once it was shown; null before.
  QProgressBar* bar() const { return m_bar; }

 private:
  int m_depth = 0;
  int m_showAfter = 300;
  QElapsedTimer m_started;
  QElapsedTimer m_lastPaint;
  QPointer<QWidget> m_host;
  QPointer<QProgressBar> m_bar;
};

}  // namespace nibblet
