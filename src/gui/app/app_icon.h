#pragma once
// The program's icon, drawn rather than loaded: a small document with hex digits.

#include <QIcon>
#include <QPixmap>

namespace nibblet {

// The icon at `size` x `size` device pixels.
QPixmap appIconPixmap(int size);
QIcon appIcon();

}  // namespace nibblet
