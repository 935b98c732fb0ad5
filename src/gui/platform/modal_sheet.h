#pragma once
// Modal dialogs shown inside the main window as sheets. A sheet is a dialog made a child of a
// cover over the window: it lies where the program puts it on every display server (a
// compositor centres a dialog window wherever it likes), and the cover keeps taps and keys from
// the window behind it while the sheet runs.

#include <QPointer>
#include <QWidget>
#include <vector>

class QDialog;

namespace nibblet {

class SheetCover;

class ModalSheet {
 public:
  // Moves `dialog` (not shown yet) into a cover over `window` and places it with ScreenFit's
  // sheet rule. The dialog must outlive the sheet.
  ModalSheet(QDialog* dialog, QWidget* window);
  // Takes the dialog back out and gives the window its controls again.
  ~ModalSheet();
  ModalSheet(const ModalSheet&) = delete;
  ModalSheet& operator=(const ModalSheet&) = delete;

  // Runs the dialog until it ends; returns its result.
  int exec();

 private:
  QDialog* m_dialog;
  QPointer<QWidget> m_formerParent;
  SheetCover* m_cover;
  std::vector<QPointer<QWidget>> m_disabled;  // the window's controls the sheet turned off
};

// The modal dialog the user works in: a modal dialog window, else the newest open sheet; null
// when there is none.
QWidget* activeDialog();

}  // namespace nibblet
