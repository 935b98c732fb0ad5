#pragma once
// The keypad of dialog 930, for thumbs in place of the system keyboard: by default the sixteen
// hex digits 0-F four to a row, then backspace and a blank; other layouts (numbers, bits, dates)
// come from a KeypadLayout (goto's offset, the converter's bases). Each key is at least 9 mm
// square on the glass. The pad only reports its keys; pressKey says what they do to the line.

#include <QChar>
#include <QWidget>

#include "core/view/hex_keypad.h"

class QLineEdit;
class QToolButton;

namespace nibblet {

class HexKeypad : public QWidget {
  Q_OBJECT

 public:
  // The smallest side of a key, in millimetres.
  static constexpr double kKeyMillimetres = 9.0;

  explicit HexKeypad(QWidget* parent, const KeypadLayout& layout = kHexKeypad);

  const KeypadLayout& keypadLayout() const { return m_layout; }
  // Shows the keys of `layout` in place of the present ones.
  void setKeypadLayout(const KeypadLayout& layout);
  // The key that sends `key` (a digit, kKeyBackspace or kKeySpace), or null.
  QToolButton* key(char16_t key) const;
  // Applies a key of this pad to `line`, at its caret or over its selection, keeping its text
  // within `maxChars` characters.
  void typeInto(QLineEdit* line, QChar key, std::size_t maxChars) const;

  // The names a screen reader says for the two keys that show a sign, not a digit.
  void nameSignKeys(const QString& backspace, const QString& space);

 signals:
  void keyPressed(QChar key);

 private:
  void build();

  KeypadLayout m_layout;
};

}  // namespace nibblet
