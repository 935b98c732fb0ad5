#pragma once
// The band above the row list (id 9901): the editor line of the active row, its "..." button,
// and the hint on light grey. The editors are created here hidden; the sheet shows the one the
// active row needs.

#include <QFont>
#include <QPushButton>
#include <QRect>
#include <QWidget>

class QComboBox;
class QDateTimeEdit;
class QLineEdit;

namespace nibblet {

// The "..." button (id 9904); a colour row's button is filled with the row's colour.
class RowButton : public QPushButton {
  Q_OBJECT
 public:
  explicit RowButton(QWidget* parent);
  // An invalid colour draws the plain button.
  void setFaceColour(const QColor& colour);
  const QColor& faceColour() const { return m_face; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor m_face;
};

class EditorPane : public QWidget {
  Q_OBJECT
 public:
  explicit EditorPane(QWidget* parent);

  QLineEdit* textBox() const { return m_textBox; }
  QComboBox* dropDown() const { return m_dropDown; }
  RowButton* button() const { return m_button; }
  QDateTimeEdit* picker() const { return m_picker; }

  // The pane's text: below the editor line in `hintArea`, or across the whole pane.
  void setHint(const QString& text, const QRect& hintArea, bool belowEditor);
  const QString& hint() const { return m_hint; }
  void setTextFont(const QFont& font) { m_font = font; update(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QLineEdit* m_textBox;
  QComboBox* m_dropDown;
  RowButton* m_button;
  QDateTimeEdit* m_picker;
  QString m_hint;
  QRect m_hintArea;
  bool m_belowEditor = false;
  QFont m_font;
};

}  // namespace nibblet
