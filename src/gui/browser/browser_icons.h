#pragma once
// The file browser's two small icons, drawn by the program: 102 for a folder, 103 for a file.

#include <QIcon>

namespace nibblet {

constexpr int kIconFolder = 102;
constexpr int kIconFile = 103;

// The icon `id` (kIconFolder or kIconFile) at 16x16 logical pixels, sharp at `devicePixelRatio`.
QIcon browserIcon(int id, qreal devicePixelRatio);

}  // namespace nibblet
