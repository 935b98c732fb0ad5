#include "gui/view/byte_menu.h"

#include <QAction>
#include <QMenu>

#include "gui/platform/physical_size.h"
#include "gui/platform/qt_text.h"

namespace nibblet {

int runByteMenu(QWidget* owner, const std::vector<ByteMenuItem>& items, QPoint globalPos) {
  QMenu menu(owner);
  menu.setObjectName("byteMenu");
  fitMenuToFinger(&menu);
  for (const ByteMenuItem& item : items) {
    if (item.id == kByteMenuSeparator) {
      menu.addSeparator();
      continue;
    }
    // "&" would otherwise mark a shortcut letter and vanish from the text.
    QString text = toQString(item.text);
    text.replace('&', "&&");
    QAction* action = menu.addAction(text);
    action->setObjectName(QString::number(item.id));
    action->setData(item.id);
    action->setEnabled(item.enabled);
  }
  QAction* chosen = menu.exec(globalPos);
  return chosen ? chosen->data().toInt() : 0;
}

}  // namespace nibblet
