#pragma once
// Dialog 109, the converter: the prompt with the "=" button, the input line, the "from" and
// "to" bases, the result line, the "Copy as" choice, a keypad for the "from" base, and OK and
// Cancel. Rows wrap and the body scrolls on a small screen; every control is large enough for
// a finger. Every decision is the ConverterModel's; the dialog forwards each edit and choice
// and shows the model's texts.

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace nibblet {

class ConverterModel;
class HexKeypad;
class Texts;
struct ScreenScale;

class ConverterDialog : public QDialog {
  Q_OBJECT

 public:
  ConverterDialog(QWidget* owner, ConverterModel& model, const Texts& texts, const ScreenScale& scale);

  HexKeypad* keypad() const { return m_keypad; }

 public slots:
  void accept() override;
  void done(int result) override;

 private:
  void convert();
  void evaluate();
  void showModel();
  void showKeypad();

  ConverterModel& m_model;
  QLineEdit* m_input;
  QLineEdit* m_result;
  QComboBox* m_from;
  QComboBox* m_to;
  QComboBox* m_copyAs;
  QPushButton* m_equals;
  HexKeypad* m_keypad;
};

}  // namespace nibblet
