#include "gui/platform/body_scroll_area.h"

#include <QEvent>
#include <QResizeEvent>
#include <QLayout>
#include <QScrollBar>
#include <algorithm>

namespace nibblet {
namespace {

// The least height: about two rows of controls, so something of the body is always seen.
constexpr int kLeastRows = 2;

}  // namespace

BodyScrollArea::BodyScrollArea(QWidget* body, QWidget* parent) : QScrollArea(parent) {
  setObjectName(QStringLiteral("body"));
  setFrameShape(QFrame::NoFrame);
  setWidgetResizable(true);
  // A tap on a key of the body leaves the keyboard with the line it types into (and that line's
  // selection): the area itself never takes the focus.
  setFocusPolicy(Qt::NoFocus);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setWidget(body);
  body->setAutoFillBackground(false);
  viewport()->setAutoFillBackground(false);
  // The body's hint changes with what it shows (a keypad comes or goes): the dialog hears of it.
  body->installEventFilter(this);
  QSizePolicy policy = sizePolicy();
  policy.setHeightForWidth(hasHeightForWidth());
  setSizePolicy(policy);
}

QSize BodyScrollArea::sizeHint() const {
  const QWidget* body = widget();
  if (!body) return QScrollArea::sizeHint();
  QSize hint = body->sizeHint().expandedTo(body->minimumSizeHint());
  if (body->layout() && body->layout()->hasHeightForWidth())
    hint.setHeight(body->layout()->totalHeightForWidth(hint.width()));
  return hint;
}

QSize BodyScrollArea::minimumSizeHint() const {
  const QWidget* body = widget();
  if (!body) return QScrollArea::minimumSizeHint();
  const int bar = verticalScrollBar()->sizeHint().width();
  const int row = fontMetrics().height() * 2;
  return QSize(body->minimumSizeHint().width() + bar, std::min(sizeHint().height(), kLeastRows * row));
}

bool BodyScrollArea::hasHeightForWidth() const {
  const QWidget* body = widget();
  return body && body->layout() && body->layout()->hasHeightForWidth();
}

int BodyScrollArea::heightForWidth(int width) const {
  const QWidget* body = widget();
  if (!body || !body->layout()) return -1;
  return body->layout()->totalHeightForWidth(width);
}

void BodyScrollArea::showBarFor(QSize size) {
  // The bar shows only when the body, at the whole width, is taller than the room: a bar left
  // over from a smaller size would narrow a body that now fits.
  const int needed = hasHeightForWidth() ? heightForWidth(size.width()) : sizeHint().height();
  setVerticalScrollBarPolicy(needed > size.height() ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
}

void BodyScrollArea::resizeEvent(QResizeEvent* event) {
  showBarFor(event->size());
  QScrollArea::resizeEvent(event);
}

void BodyScrollArea::showEvent(QShowEvent* event) {
  showBarFor(size());
  QScrollArea::showEvent(event);
}

bool BodyScrollArea::eventFilter(QObject* watched, QEvent* event) {
  if (watched == widget() && event->type() == QEvent::LayoutRequest) {
    updateGeometry();
    showBarFor(size());
  }
  return QScrollArea::eventFilter(watched, event);
}

}  // namespace nibblet
