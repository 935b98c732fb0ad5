#pragma once
// What becomes of edits made on the spot when another program replaced, moved or deleted the
// file while it was open: the program still maps the old file, which holds the edits, while the
// path names another file or none.

#include <cstdint>
#include <string>

#include "core/document/change_log.h"

namespace nibblet {

// A name beside `path` that no file has, for keeping the edited file: "<path>.edited", then
// "<path>.edited2" and on.
std::u16string keptCopyName(const std::u16string& path);

// Writes the edits of `log` into the file at `path` as `bytes` (the edited file, `size` long)
// holds them, when that file has the same size and every edited byte in it still holds its
// value from before the edits or its value now; otherwise writes nothing and sets `fits` false.
// The file is synced. 0 or the system error code.
int writeEditsInto(const std::u16string& path, const ChangeLog& log, const std::uint8_t* bytes, std::uint32_t size,
                   bool& fits);

}  // namespace nibblet
