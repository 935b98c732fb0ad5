#pragma once
// Screen readers find a pop-up menu through the window that opened it. Qt leaves pop-ups out of
// the accessibility tree unless a menu bar or another menu owns them, so the byte menu and the
// recent-files menu were invisible there. The windows that open such menus get this interface:
// their usual children, then every pop-up menu of theirs that is open.

#include <QAccessibleWidget>

class QMenu;

namespace nibblet {

class PopupHostAccessible : public QAccessibleWidget {
 public:
  PopupHostAccessible(QWidget* widget, QAccessible::Role role);

  int childCount() const override;
  QAccessibleInterface* child(int index) const override;
  int indexOfChild(const QAccessibleInterface* child) const override;

 private:
  QList<QMenu*> openPopups() const;
};

// Gives the main window and the hex view this interface; once per program, later calls do
// nothing.
void installPopupHostAccessibility();

}  // namespace nibblet
