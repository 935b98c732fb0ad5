#include "gui/platform/flow_layout.h"

#include <QWidget>
#include <algorithm>

namespace nibblet {

FlowLayout::FlowLayout(QWidget* parent, int spacing) : QLayout(parent) {
  setSpacing(spacing);
  setContentsMargins(0, 0, 0, 0);
}

FlowLayout::~FlowLayout() {
  while (QLayoutItem* item = takeAt(0)) delete item;
}

void FlowLayout::addItem(QLayoutItem* item) { m_items.append(item); }

QLayoutItem* FlowLayout::takeAt(int index) {
  return index >= 0 && index < m_items.size() ? m_items.takeAt(index) : nullptr;
}

QSize FlowLayout::sizeHint() const {
  int width = 0, height = 0, shown = 0;
  for (const QLayoutItem* item : m_items) {
    if (item->isEmpty()) continue;
    QSize hint = item->sizeHint();
    width += hint.width() + (shown++ > 0 ? spacing() : 0);
    height = std::max(height, hint.height());
  }
  const QMargins m = contentsMargins();
  return QSize(width + m.left() + m.right(), height + m.top() + m.bottom());
}

QSize FlowLayout::minimumSize() const {
  QSize size;
  for (const QLayoutItem* item : m_items)
    if (!item->isEmpty()) size = size.expandedTo(item->minimumSize());
  const QMargins m = contentsMargins();
  return size + QSize(m.left() + m.right(), m.top() + m.bottom());
}

void FlowLayout::setGeometry(const QRect& rect) {
  QLayout::setGeometry(rect);
  arrange(rect, true);
}

int FlowLayout::arrange(const QRect& rect, bool apply) const {
  const QRect area = rect.marginsRemoved(contentsMargins());
  int x = area.x(), y = area.y(), rowHeight = 0;
  for (QLayoutItem* item : m_items) {
    if (item->isEmpty()) continue;
    // An item wider than the whole row gets the row, down to its least width.
    QSize hint = item->sizeHint();
    hint.setWidth(std::max(item->minimumSize().width(), std::min(hint.width(), area.width())));
    if (x > area.x() && x + hint.width() > area.x() + area.width()) {
      x = area.x();
      y += rowHeight + spacing();
      rowHeight = 0;
    }
    if (apply) item->setGeometry(QRect(QPoint(x, y), hint));
    x += hint.width() + spacing();
    rowHeight = std::max(rowHeight, hint.height());
  }
  const QMargins m = contentsMargins();
  return y + rowHeight - rect.y() + m.bottom();
}

}  // namespace nibblet
