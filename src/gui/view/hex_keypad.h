#pragma once
// The hex keypad of dialog 930: the sixteen digits 0-F four to a row, then backspace and a
// space, each key at least 9 mm square on the glass, for thumbs in place of the system keyboard.
// The pad only reports its keys; pressHexKey says what they do to the line.

#include <QChar>
#include <QWidget>

class QToolButton;

namespace nibblet {

class HexKeypad : public QWidget {
  Q_OBJECT

 public:
  // The smallest side of a key, in millimetres.
  static constexpr double kKeyMillimetres = 9.0;

  explicit HexKeypad(QWidget* parent);

  // The key that sends `key` (a digit, kKeyBackspace or kKeySpace), or null.
  QToolButton* key(char16_t key) const;

  // The names a screen reader says for the two keys that show a sign, not a digit.
  void nameSignKeys(const QString& backspace, const QString& space);

 signals:
  void keyPressed(QChar key);
};

}  // namespace nibblet
