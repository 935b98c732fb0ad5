#include "gui/platform/tap_and_hold.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QWidget>

namespace nibblet {

TapAndHold::TapAndHold(QWidget* target) : QObject(target), m_target(target) {
  m_timer.setSingleShot(true);
  m_timer.setInterval(kHoldMilliseconds);
  connect(&m_timer, &QTimer::timeout, this, &TapAndHold::holdTimedOut);
  target->installEventFilter(this);
}

void TapAndHold::cancel() {
  m_timer.stop();
  m_pending = false;
}

void TapAndHold::holdTimedOut() {
  if (!m_pending) return;
  m_pending = false;
  m_swallowRelease = true;
  emit held(m_pressPos);
}

void TapAndHold::press(QPoint pos) { begin(pos, true); }

void TapAndHold::begin(QPoint pos, bool byFinger) {
  m_byFinger = byFinger;
  m_pressPos = pos;
  m_pending = true;
  m_swallowRelease = false;
  m_timer.start();
  emit pressed(m_pressPos);
}

void TapAndHold::move(QPoint pos) {
  if (m_pending && (pos - m_pressPos).manhattanLength() > QApplication::startDragDistance()) cancel();
}

void TapAndHold::release() {
  m_swallowRelease = false;
  if (!m_pending) return;
  cancel();
  emit tapped(m_pressPos);
}

bool TapAndHold::eventFilter(QObject* watched, QEvent* event) {
  if (watched != m_target) return false;
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() != Qt::LeftButton) return false;
      begin(mouse->position().toPoint(), false);
      return true;
    }
    case QEvent::MouseMove: {
      move(static_cast<QMouseEvent*>(event)->position().toPoint());
      return m_pending;
    }
    case QEvent::MouseButtonRelease: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() != Qt::LeftButton) return false;
      if (m_swallowRelease) {
        m_swallowRelease = false;
        return true;
      }
      if (!m_pending) return false;
      release();
      return true;
    }
    case QEvent::ContextMenu: {
      auto* menu = static_cast<QContextMenuEvent*>(event);
      // A long press that the system reports itself replaces our timer.
      bool fromPress = m_pending;
      QPoint pos = fromPress ? m_pressPos : menu->pos();
      cancel();
      if (fromPress) m_swallowRelease = true;
      emit held(pos);
      return true;
    }
    default:
      return false;
  }
}

}  // namespace nibblet
