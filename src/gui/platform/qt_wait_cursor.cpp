#include "gui/platform/qt_wait_cursor.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QProgressBar>
#include <QWidget>

namespace nibblet {
namespace {

// The window is painted again at most this often while work goes on.
constexpr int kPaintEveryMs = 50;

}  // namespace

void QtWaitCursor::begin() {
  if (m_depth++ == 0) m_started.start();
  QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

void QtWaitCursor::end() {
  QGuiApplication::restoreOverrideCursor();
  if (m_depth > 0 && --m_depth == 0 && m_bar) m_bar->hide();
}

bool QtWaitCursor::progress(std::uint64_t done, std::uint64_t total) {
  if (m_depth == 0 || !m_host || m_started.elapsed() < m_showAfter) return true;
  if (!m_bar) {
    m_bar = new QProgressBar(m_host);
    m_bar->setObjectName("progress");
    m_bar->setTextVisible(true);
  }
  const int height = qMax(24, m_host->height() / 20);
  const int margin = m_host->width() / 10;
  m_bar->setGeometry(margin, (m_host->height() - height) / 2, m_host->width() - 2 * margin, height);
  if (total > 0) {
    m_bar->setRange(0, 100);
    m_bar->setValue(static_cast<int>(qMin<std::uint64_t>(100, done * 100 / total)));
  } else {
    m_bar->setRange(0, 0);  // how much is left is not known
  }
  if (!m_bar->isVisible()) {
    m_bar->show();
    m_bar->raise();
  }
  if (!m_lastPaint.isValid() || m_lastPaint.elapsed() >= kPaintEveryMs) {
    m_lastPaint.start();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }
  return true;
}

}  // namespace nibblet
