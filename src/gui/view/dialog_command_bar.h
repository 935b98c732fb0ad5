#pragma once
// The row of buttons at the top of dialog 930, shared by the entry, search and goto dialogs:
// the first `count` buttons of the command bar with their images and tooltips, each named by
// its command, wrapping onto a second row on a narrow screen. The bar only shows state; the
// dialog's model decides it.

#include <QWidget>
#include <utility>
#include <vector>

class QToolButton;

namespace nibblet {

class BarDialogModel;
class Texts;

class DialogCommandBar : public QWidget {
  Q_OBJECT

 public:
  DialogCommandBar(QWidget* parent, std::size_t count, const Texts& texts, int dpiX);

  // The button of `command`, or null when the bar has none.
  QToolButton* button(int command) const;
  // Shows, hides, checks and unchecks the buttons as the model says.
  void showState(const BarDialogModel& model);
  // The side of a button: 34 pixels at 96 dots per inch (9 mm), and at least a finger's size
  // on a hand-held of any density.
  int buttonSide() const { return m_side; }

 signals:
  void commandTriggered(int command);

 private:
  std::vector<std::pair<int, QToolButton*>> m_buttons;
  int m_side;
};

}  // namespace nibblet
