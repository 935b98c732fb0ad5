#pragma once
// The wait cursor as Qt's application override cursor, and a panel for long work: a finger on a
// touch screen sees no cursor, so work that takes longer than a moment also shows a panel over
// the window with how far it got (percent done where known) and a Cancel button. Meanwhile the
// windows are kept painted and the panel is the only one that takes input, so nothing can
// change under the work.

#include <QElapsedTimer>
#include <QPointer>

#include <functional>

#include "core/platform/wait_cursor.h"

class QProgressBar;
class QPushButton;
class QWidget;

namespace nibblet {

class ProgressPanel;
class Texts;

class QtWaitCursor : public WaitCursor {
 public:
  QtWaitCursor();
  ~QtWaitCursor() override;
  void begin() override;
  void end() override;
  // False once the user tapped Cancel, until the outermost work ends.
  bool progress(std::uint64_t done, std::uint64_t total) override;

  // The window the panel shows over; none shows no panel (and the work cannot be stopped).
  void setHost(QWidget* window) { m_host = window; }
  // The texts of the panel; the program's own English ones when none are set.
  void setTexts(const Texts* texts) { m_texts = texts; }
  // How long work runs before the panel shows, in milliseconds (300 unless a test says otherwise).
  void setShowAfter(int milliseconds) { m_showAfter = milliseconds; }
  bool isBusy() const { return m_depth > 0; }
  // The panel's bar and Cancel button, once the panel was shown; null before.
  QProgressBar* bar() const;
  QPushButton* cancelButton() const;

  // For tests: called at every report of the work that moved on, numbered from 1, after the
  // panel is shown and before the report's answer is taken, so a test can tap Cancel at a
  // chosen report.
  void setReportHook(std::function<void(int report)> hook) { m_reportHook = std::move(hook); }

 private:
  void showPanel();

  int m_depth = 0;
  int m_showAfter = 300;
  int m_reports = 0;
  std::uint64_t m_lastDone = 0, m_lastTotal = 0;
  bool m_cancelled = false;
  QElapsedTimer m_started;
  QElapsedTimer m_lastEvents;
  QPointer<QWidget> m_host;
  QPointer<QWidget> m_activeBefore;  // given the focus back when the panel goes
  const Texts* m_texts = nullptr;
  QPointer<ProgressPanel> m_panel;
  std::function<void(int)> m_reportHook;
};

}  // namespace nibblet
