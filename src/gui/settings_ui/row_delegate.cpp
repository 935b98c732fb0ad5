#include "gui/settings_ui/row_delegate.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "core/settings_ui/property_sheet_model.h"
#include "gui/platform/qt_text.h"

namespace nibblet {
namespace {

// The stock light-grey brush of the selected row.
const QColor kSelectedBackground(192, 192, 192);
const QColor kGridLine(208, 208, 208);

QString fitted(const std::u16string& text, const QFontMetrics& metrics, int width) {
  std::u16string shown = shortenToFit(text, [&](std::u16string_view t) {
    return metrics.horizontalAdvance(toQString(t)) <= width;
  });
  return toQString(shown);
}

}  // namespace

RowDelegate::RowDelegate(const PropertySheetModel& model, QObject* parent)
    : QStyledItemDelegate(parent), m_model(model) {}

void RowDelegate::setFonts(const QFont& normal, const QFont& bold, int dpiY, int leastHeight) {
  m_normal = normal;
  m_bold = bold;
  m_dpiY = dpiY;
  m_rowHeight = std::max(leastHeight, nibblet::rowHeight(QFontMetrics(bold).boundingRect("Text").height(), dpiY));
}

QSize RowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
  return QSize(option.rect.width(), m_rowHeight);
}

void RowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  const PropertyRow* row = m_model.row(index.data(Qt::UserRole).toInt());
  if (!row) return;
  const QRect r = option.rect;
  const bool selected = option.state & QStyle::State_Selected;
  painter->save();
  if (selected) painter->fillRect(r, kSelectedBackground);
  painter->setPen(kGridLine);
  painter->drawLine(r.left(), r.bottom(), r.right(), r.bottom());
  painter->setPen(Qt::black);

  const int left = r.left() + 1;
  const QFont& labelFont = selected ? m_bold : m_normal;
  if (row->rowKind == kRowCaption) {
    painter->setFont(labelFont);
    painter->drawText(QRect(left, r.top(), r.width() - 1, r.height()), Qt::TextWordWrap | Qt::AlignTop,
                      toQString(row->label));
    painter->restore();
    return;
  }
  QFontMetrics labelMetrics(labelFont);
  QFontMetrics boldMetrics(m_bold);
  const int room = r.width() - labelMetrics.horizontalAdvance(' ');
  painter->setFont(labelFont);
  int y = r.top();
  painter->drawText(left, y + labelMetrics.ascent(), fitted(row->label, labelMetrics, room));
  y += labelMetrics.height() + (2 * m_dpiY + 48) / 96;
  painter->setFont(m_bold);
  const int valueRoom = r.width() - 3 - boldMetrics.horizontalAdvance(' ');
  painter->drawText(left + 3, y + boldMetrics.ascent(), fitted(row->valueText, boldMetrics, valueRoom));
  painter->restore();
}

}  // namespace nibblet
