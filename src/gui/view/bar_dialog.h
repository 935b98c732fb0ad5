#pragma once
// Dialog 930: a title row with its caption, the command bar, one edit line and, for hex pairs
// and offsets, a keypad. It serves the byte entry, the search and the goto dialog; every
// decision is the model's, the dialog shows its state and forwards commands. Its body scrolls
// when a small screen has no room for all of it.

#include <QDialog>

class QLabel;
class QLineEdit;
class QToolButton;

namespace nibblet {

class BarDialogModel;
class DialogCommandBar;
class HexKeypad;
class Texts;

class BarDialog : public QDialog {
  Q_OBJECT

 public:
  BarDialog(QWidget* owner, BarDialogModel& model, const Texts& texts, int dpiX);

  QLineEdit* editLine() const { return m_edit; }
  // The caption as the dialog shows it in its own title row.
  QLabel* captionLabel() const { return m_caption; }
  // The keypad, shown while the line takes hex pairs or an offset.
  HexKeypad* keypad() const { return m_keypad; }
  // The bar button of `command`, or null.
  QToolButton* button(int command) const;

 public slots:
  void reject() override;
  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void runCommand(int command);
  void showState();

  BarDialogModel& m_model;
  DialogCommandBar* m_bar;
  QLineEdit* m_edit;
  HexKeypad* m_keypad;
  QLabel* m_caption = nullptr;
};

}  // namespace nibblet
