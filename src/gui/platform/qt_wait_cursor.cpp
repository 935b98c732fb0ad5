#include "gui/platform/qt_wait_cursor.h"

#include <QApplication>
#include <QCursor>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>

#include "core/i18n/string_module.h"
#include "gui/platform/progress_panel.h"

namespace nibblet {
namespace {

// Events (paints, accessibility queries and a tap on Cancel) are handled at most this long
// apart while work reports often enough, so a tap stops the work well within 100 ms.
constexpr int kEventsEveryMs = 20;

}  // namespace

QtWaitCursor::QtWaitCursor() = default;

QtWaitCursor::~QtWaitCursor() { delete m_panel; }

void QtWaitCursor::begin() {
  if (m_depth++ == 0) {
    m_started.start();
    m_lastEvents.invalidate();
    m_reports = 0;
    m_lastDone = m_lastTotal = ~std::uint64_t{0};
    m_cancelled = false;
  }
  QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

void QtWaitCursor::end() {
  QGuiApplication::restoreOverrideCursor();
  if (m_depth == 0 || --m_depth > 0) return;
  m_cancelled = false;
  if (m_panel && m_panel->isVisible()) {
    m_panel->hide();
    if (m_activeBefore && m_activeBefore->isVisible()) m_activeBefore->activateWindow();
  }
  m_activeBefore = nullptr;
}

bool QtWaitCursor::progress(std::uint64_t done, std::uint64_t total) {
  if (m_depth == 0) return true;
  // A report that says no more than the last one (work waiting for the disk) is not numbered.
  const bool moved = done != m_lastDone || total != m_lastTotal;
  m_lastDone = done;
  m_lastTotal = total;
  if (moved) ++m_reports;
  const bool shown = m_host && m_started.elapsed() >= m_showAfter;
  if (shown && (!m_panel || !m_panel->isVisible())) showPanel();
  if (shown) m_panel->showProgress(done, total);
  if (m_reportHook && moved) m_reportHook(m_reports);
  if (shown && (!m_lastEvents.isValid() || m_lastEvents.elapsed() >= kEventsEveryMs)) {
    m_lastEvents.start();
    // Every event is handled, input too: the panel drops what is meant for other windows and
    // takes a tap on its own button.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
  }
  return !m_cancelled;
}

void QtWaitCursor::showPanel() {
  m_activeBefore = QApplication::activeWindow();
  // A child of the window in front (a dialog running the work), so it stays in front of it.
  QWidget* front = QApplication::activeModalWidget() ? QApplication::activeModalWidget() : m_host.data();
  if (m_panel && m_panel->parentWidget() != front) delete m_panel;
  if (!m_panel) {
    static const Texts kOwnTexts;
    m_panel = new ProgressPanel(front, m_host, m_texts ? *m_texts : kOwnTexts);
    QObject::connect(m_panel, &ProgressPanel::cancelRequested, [this] { m_cancelled = true; });
  }
  m_panel->start();
}

QProgressBar* QtWaitCursor::bar() const { return m_panel ? m_panel->bar() : nullptr; }

QPushButton* QtWaitCursor::cancelButton() const { return m_panel ? m_panel->cancelButton() : nullptr; }

}  // namespace nibblet
