#pragma once
// The file browser's small icons, drawn by the program: 102 for a folder, 103 for a file, and
// one of its own for entries that are not files (pipes, sockets, devices, dead links).

#include <QIcon>

namespace nibblet {

constexpr int kIconFolder = 102;
constexpr int kIconFile = 103;
constexpr int kIconNotAFile = 104;

// The icon `id` (kIconFolder, kIconFile or kIconNotAFile) at 16x16 logical pixels, sharp at
// `devicePixelRatio`.
QIcon browserIcon(int id, qreal devicePixelRatio);

}  // namespace nibblet
