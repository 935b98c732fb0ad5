#pragma once
// Dialog 930 as the byte entry dialog: a bar of eight command buttons above one edit line.
// Every decision is the EntryDialogModel's; the dialog shows its state and forwards commands.

#include <QDialog>
#include <utility>
#include <vector>

class QLineEdit;
class QToolButton;

namespace nibblet {

class EntryDialogModel;
class Texts;

class EntryDialog : public QDialog {
  Q_OBJECT

 public:
  EntryDialog(QWidget* owner, EntryDialogModel& model, const Texts& texts, int dpiX);

  QLineEdit* editLine() const { return m_edit; }
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

  EntryDialogModel& m_model;
  QLineEdit* m_edit;
  std::vector<std::pair<int, QToolButton*>> m_buttons;
};

}  // namespace nibblet
