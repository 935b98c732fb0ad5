#pragma once
// A layout that puts its items in a row and wraps onto further rows when the width runs out,
// like words in a line: a dialog's row of buttons on a narrow screen, or label-and-choice pairs.

#include <QLayout>
#include <QList>

namespace nibblet {

class FlowLayout : public QLayout {
 public:
  // `spacing` pixels between items in a row and between rows.
  FlowLayout(QWidget* parent, int spacing);
  ~FlowLayout() override;

  void addItem(QLayoutItem* item) override;
  int count() const override { return static_cast<int>(m_items.size()); }
  QLayoutItem* itemAt(int index) const override { return m_items.value(index); }
  QLayoutItem* takeAt(int index) override;
  Qt::Orientations expandingDirections() const override { return {}; }
  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override { return arrange(QRect(0, 0, width, 0), false); }
  // Every item in one row.
  QSize sizeHint() const override;
  // The widest item.
  QSize minimumSize() const override;
  void setGeometry(const QRect& rect) override;

 private:
  // Places the visible items in `rect` (only measures unless `apply`); returns the height used.
  int arrange(const QRect& rect, bool apply) const;

  QList<QLayoutItem*> m_items;
};

}  // namespace nibblet
