#pragma once
// The keypad of the dialogs that take numbers and hex pairs: the keys of a KeypadKind (the
// digits of a base, the operators of the converter's "=", backspace, a blank for pairs) in rows,
// each key at least 9 mm square on the glass, for thumbs in place of the system keyboard. A
// narrow screen gets fewer keys to a row and more rows. The pad only reports its keys;
// pressKeypadKey says what they do to the line.

#include <QChar>
#include <QWidget>
#include <vector>

#include "core/view/keypad_layout.h"

class QLineEdit;
class QToolButton;

namespace nibblet {

class Keypad : public QWidget {
  Q_OBJECT

 public:
  // The smallest side of a key, in millimetres.
  static constexpr double kKeyMillimetres = 9.0;

  Keypad(QWidget* parent, KeypadKind kind);

  KeypadKind kind() const { return m_kind; }
  // Shows the keys of `kind` in place of the present ones.
  void setKind(KeypadKind kind);
  // The key that sends `key` (a character of the pad or kKeyBackspace), or null.
  QToolButton* key(char16_t key) const;
  // Applies a key of this pad to `line`, at its caret or over its selection, keeping its text
  // within `maxChars` characters.
  void typeInto(QLineEdit* line, QChar key, std::size_t maxChars) const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;
  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override;

 signals:
  void keyPressed(QChar key);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void build();
  void placeKeys();
  int rowsFor(int columns) const;
  int heightFor(int columns) const;
  int widthFor(int columns) const;

  KeypadKind m_kind;
  int m_side;     // a key's least side
  int m_spacing;  // between keys
  std::vector<QToolButton*> m_keys;  // in the layout's order
};

}  // namespace nibblet
