#include "gui/view/view_touch.h"

#include <QGestureEvent>
#include <QPinchGesture>
#include <QScrollEvent>
#include <QScrollPrepareEvent>
#include <QScrollBar>
#include <QScroller>
#include <QScrollerProperties>
#include <QTouchEvent>
#include <algorithm>
#include <cmath>

#include "core/i18n/command_ids.h"
#include "gui/platform/tap_and_hold.h"
#include "gui/view/hex_view_widget.h"

namespace nibblet {
namespace {

// The font sizes of Tools > Font size.
constexpr int kSmallestFont = kCmdFontSize10 - kFontSizeCommandBase;
constexpr int kLargestFont = kCmdFontSize18 - kFontSizeCommandBase;

}  // namespace

ViewTouch::ViewTouch(HexViewWidget* view, TapAndHold* tapAndHold)
    : QObject(view), m_view(view), m_tapAndHold(tapAndHold), m_scroller(QScroller::scroller(view)) {
  view->setAttribute(Qt::WA_AcceptTouchEvents);
  view->grabGesture(Qt::PinchGesture);
  // Rows stop at the first and the last page; there is nothing to pull past them.
  QScrollerProperties properties = m_scroller->scrollerProperties();
  const QVariant off = QVariant::fromValue(QScrollerProperties::OvershootAlwaysOff);
  properties.setScrollMetric(QScrollerProperties::VerticalOvershootPolicy, off);
  properties.setScrollMetric(QScrollerProperties::HorizontalOvershootPolicy, off);
  m_scroller->setScrollerProperties(properties);
  view->installEventFilter(this);
}

bool ViewTouch::eventFilter(QObject* watched, QEvent* event) {
  if (watched != m_view) return false;
  switch (event->type()) {
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
      return touch(static_cast<QTouchEvent*>(event));
    case QEvent::ScrollPrepare:
      prepareScroll(static_cast<QScrollPrepareEvent*>(event));
      return true;
    case QEvent::Scroll:
      scroll(static_cast<QScrollEvent*>(event));
      return true;
    case QEvent::Gesture:
      gesture(static_cast<QGestureEvent*>(event));
      return true;
    default:
      return false;
  }
}

bool ViewTouch::touch(QTouchEvent* event) {
  event->accept();
  const QList<QEventPoint>& points = event->points();
  if (points.isEmpty()) return true;
  const QPointF at = points.first().position();
  const qint64 time = static_cast<qint64>(event->timestamp());

  if (event->type() == QEvent::TouchCancel) {
    m_tapAndHold->cancel();
    m_scroller->stop();
    return true;
  }
  if (event->type() == QEvent::TouchBegin) {
    // A finger on the scroll bar works the bar: Qt then makes mouse events of it for the bar.
    QWidget* bar = m_view->scrollBar();
    if (bar->isVisible() && bar->geometry().contains(at.toPoint())) {
      event->ignore();
      return false;
    }
    m_severalFingers = false;
    m_caught = m_scroller->state() == QScroller::Scrolling;
  }
  if (points.size() > 1 && !m_severalFingers) {
    // A second finger: a pinch, neither a tap nor a swipe.
    m_severalFingers = true;
    m_tapAndHold->cancel();
    m_scroller->stop();
  }
  if (m_severalFingers) return true;

  switch (event->type()) {
    case QEvent::TouchBegin:
      m_scroller->handleInput(QScroller::InputPress, at, time);
      if (m_caught) m_tapAndHold->cancel();
      else m_tapAndHold->press(at.toPoint());
      break;
    case QEvent::TouchUpdate:
      m_tapAndHold->move(at.toPoint());
      m_scroller->handleInput(QScroller::InputMove, at, time);
      break;
    case QEvent::TouchEnd:
      // The scroller lets go first: a tap may open a dialog that runs its own loop.
      m_scroller->handleInput(QScroller::InputRelease, at, time);
      m_tapAndHold->release();
      break;
    default:
      break;
  }
  return true;
}

void ViewTouch::prepareScroll(QScrollPrepareEvent* event) {
  // The scroller sees the rows as a column of pixels, one line height a row.
  const HexView& core = m_view->view();
  const qreal pitch = core.lineHeight();
  const std::uint32_t perRow = core.bytesPerRow();
  const qreal lastRow = qreal(core.lastPageTop() / perRow);
  event->setViewportSize(QSizeF(core.clientWidth(), core.clientHeight()));
  event->setContentPosRange(QRectF(0, 0, 0, lastRow * pitch));
  event->setContentPos(QPointF(0, std::min(qreal(core.topOffset() / perRow), lastRow) * pitch));
  event->accept();
}

void ViewTouch::scroll(QScrollEvent* event) {
  const qreal pitch = m_view->view().lineHeight();
  const qreal y = std::max<qreal>(0, event->contentPos().y());
  m_view->scrollToRow(static_cast<std::uint64_t>(std::llround(y / pitch)));
}

void ViewTouch::gesture(QGestureEvent* event) {
  auto* pinch = static_cast<QPinchGesture*>(event->gesture(Qt::PinchGesture));
  if (!pinch) return;
  event->accept(pinch);
  if (pinch->state() == Qt::GestureStarted || m_pinchBase == 0) m_pinchBase = m_view->view().fontPoints();
  if (pinch->state() == Qt::GestureFinished || pinch->state() == Qt::GestureCanceled) {
    m_pinchBase = 0;
    return;
  }
  const qreal factor = pinch->totalScaleFactor();
  if (!(factor > 0)) return;
  const int points =
      std::clamp(static_cast<int>(std::lround(m_pinchBase * factor)), kSmallestFont, kLargestFont);
  if (points != m_view->view().fontPoints()) emit fontSizeRequested(points);
}

}  // namespace nibblet
