#pragma once
// Lengths on the glass: how many widget pixels cover so many millimetres of a screen, by the
// screen's physical density, for targets a finger must hit; and the least size of the controls
// a finger uses on a hand-held.

#include <QStyledItemDelegate>

class QComboBox;
class QWidget;

namespace nibblet {

// The smallest side of a control a finger uses on a hand-held.
constexpr double kFingerMillimetres = 7.0;

// Device-independent pixels (the unit widgets are laid out in) that cover at least
// `millimetres` on the screen of `widget` along either axis, or on the primary screen when
// `widget` is null or has none. A screen that reports no believable physical density counts
// as 96 dots per inch.
int physicalPixels(double millimetres, const QWidget* widget = nullptr);

// The least side of a control a finger uses: 7 mm on a screen the program treats as a
// hand-held, 0 on a desktop, whose controls keep their own sizes.
int fingerPixels(const QWidget* widget = nullptr);

// The vertical padding that makes an item of `fontHeight` pixels at least `height` high, never
// less than `least`.
int paddingFor(int height, int fontHeight, int least);

// Items of `menu` (a pop-up or a menu bar with its menus) at least a finger high on a
// hand-held, with `least` pixels of padding above and below their text everywhere.
void fitMenuToFinger(QWidget* menu, int least = 0);

// Rows of the list a drop-down opens at least a finger high on a hand-held.
void fitDropDownToFinger(QComboBox* combo);

// Keeps the rows of a list at least `rowHeight` pixels high.
class TallRowDelegate : public QStyledItemDelegate {
 public:
  TallRowDelegate(int rowHeight, QObject* parent) : QStyledItemDelegate(parent), m_rowHeight(rowHeight) {}
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  void setRowHeight(int rowHeight) { m_rowHeight = rowHeight; }

 private:
  int m_rowHeight;
};

}  // namespace nibblet
