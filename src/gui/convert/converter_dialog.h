#pragma once
// Dialog 109, the converter: an input line, the "from" and "to" bases, the result line, the
// "Copy as" choice and the "=" button, laid out from the template's dialog units and scaled so
// that every control is large enough for a finger. Every decision is the ConverterModel's; the
// dialog forwards each edit and choice and shows the model's texts.

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace nibblet {

class ConverterModel;
class Texts;
struct ScreenScale;

class ConverterDialog : public QDialog {
  Q_OBJECT

 public:
  ConverterDialog(QWidget* owner, ConverterModel& model, const Texts& texts, const ScreenScale& scale);

 public slots:
  void accept() override;
  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void convert();
  void evaluate();
  void showModel();

  ConverterModel& m_model;
  QLineEdit* m_input;
  QLineEdit* m_result;
  QComboBox* m_from;
  QComboBox* m_to;
  QComboBox* m_copyAs;
  QPushButton* m_equals;
};

}  // namespace nibblet
