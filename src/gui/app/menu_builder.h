#pragma once
// Builds Qt menus from a menu resource of the StringModule.

#include <QMap>
#include <QMenuBar>

#include "core/i18n/string_module.h"

namespace nibblet {

struct BuiltMenus {
  QMap<int, QAction*> commands;  // command id -> its action
  QMap<int, QMenu*> popups;      // pop-up id (40001 File, 40004 Tools) -> its menu
};

// Fills `bar` with the pop-ups of `menu`. Every command action carries its id as data and
// objectName; `onCommand` is called with the id when the action is triggered.
BuiltMenus buildMenuBar(QMenuBar* bar, const MenuResource& menu, const std::function<void(int)>& onCommand);

}  // namespace nibblet
