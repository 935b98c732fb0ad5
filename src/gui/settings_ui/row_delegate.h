#pragma once
// Draws the entries of the property list's row list: the label over the value in bold, the
// selected row on light grey, texts too wide for the row shortened with "...".

#include <QFont>
#include <QStyledItemDelegate>

namespace nibblet {

class PropertySheetModel;

class RowDelegate : public QStyledItemDelegate {
 public:
  RowDelegate(const PropertySheetModel& model, QObject* parent);

  // The two fonts and the row height follow them; `dpiY` scales the 4-pixel gap. Rows are
  // never lower than `leastHeight` (a finger's size on a hand-held).
  void setFonts(const QFont& normal, const QFont& bold, int dpiY, int leastHeight = 0);
  int rowHeight() const { return m_rowHeight; }

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  const PropertySheetModel& m_model;
  QFont m_normal;
  QFont m_bold;
  int m_dpiY = 96;
  int m_rowHeight = 0;
};

}  // namespace nibblet
