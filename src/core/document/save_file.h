#pragma once
// Writing a document's bytes over a file without ever putting the file at risk.

#include <cstdint>
#include <string>

#include "core/platform/wait_cursor.h"

namespace nibblet {

// Replaces the file at `path` with `size` bytes: they are written to a new file in the same
// folder (created without following links, with the old file's permissions plus write access
// for the owner), every write is checked, the file is flushed to disk, then renamed over
// `path` and the folder is synced. Returns 0, or the system error code; on failure `path` is
// untouched and the new file is removed. `progress`, when given, hears of every few megabytes
// written; when it answers false nothing is committed and the result is ECANCELED.
int writeFileReplacing(const std::u16string& path, const std::uint8_t* bytes, std::uint32_t size,
                       const ProgressReport& progress = {});

}  // namespace nibblet
