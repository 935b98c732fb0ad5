#pragma once
// One row of the values panel: a name and a value side by side, the whole row a finger-sized
// target. A tap asks to edit the value, a tap-and-hold (or a right click) for the row's menu.
// A value wider than its place is drawn smaller, down to three quarters, before it is cut.

#include <QWidget>

class QLabel;

namespace nibblet {

class TapAndHold;

class ValueRow : public QWidget {
  Q_OBJECT

 public:
  // `height` is the row's least height in pixels; `nameWidth` that of the name column.
  ValueRow(QWidget* parent, int height, int nameWidth);

  void setTexts(const QString& name, const QString& value);
  // Greys the value when the row cannot be edited.
  void setEditable(bool editable);
  QLabel* valueLabel() const { return m_value; }
  // The value as the panel gave it, before any cut.
  const QString& value() const { return m_fullValue; }
  QLabel* nameLabel() const { return m_name; }

 signals:
  void tapped();
  // At `globalPos`.
  void held(QPoint globalPos);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void fitValue();

  QLabel* m_name;
  QLabel* m_value;
  TapAndHold* m_tapAndHold;
  QFont m_valueFont;
  QString m_fullValue;
};

}  // namespace nibblet
