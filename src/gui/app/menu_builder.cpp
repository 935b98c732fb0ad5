#include "gui/app/menu_builder.h"

#include <QMenu>

#include "gui/platform/qt_text.h"

namespace nibblet {
namespace {

void addItems(QMenu* menu, const std::vector<MenuItem>& items, BuiltMenus& built,
              const std::function<void(int)>& onCommand) {
  for (const MenuItem& item : items) {
    if (item.isSeparator) {
      menu->addSeparator();
    } else if (item.isPopup) {
      QMenu* sub = menu->addMenu(toQString(item.text));
      if (item.id != 0) built.popups.insert(item.id, sub);
      addItems(sub, item.children, built, onCommand);
    } else {
      QAction* action = menu->addAction(toQString(item.text));
      int id = item.id;
      action->setData(id);
      action->setObjectName(QString::number(id));
      QObject::connect(action, &QAction::triggered, menu, [onCommand, id] { onCommand(id); });
      built.commands.insert(id, action);
    }
  }
}

}  // namespace

BuiltMenus buildMenuBar(QMenuBar* bar, const MenuResource& menu, const std::function<void(int)>& onCommand) {
  BuiltMenus built;
  for (const MenuItem& top : menu.items) {
    QMenu* popup = bar->addMenu(toQString(top.text));
    popup->setObjectName(QString::number(top.id));
    if (top.id != 0) built.popups.insert(top.id, popup);
    addItems(popup, top.children, built, onCommand);
  }
  return built;
}

}  // namespace nibblet
