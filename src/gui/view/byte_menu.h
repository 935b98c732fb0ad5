#pragma once
// The byte menu as a Qt pop-up menu: the items of a ByteMenuModel, each action named by its id.

#include <QPoint>
#include <vector>

#include "core/view/byte_menu_model.h"

class QWidget;

namespace nibblet {

// Shows `items` at `globalPos`, owned by `owner`, and returns the chosen id (0 when dismissed).
int runByteMenu(QWidget* owner, const std::vector<ByteMenuItem>& items, QPoint globalPos);

}  // namespace nibblet
