#pragma once
// Writing a document's bytes over a file, or as a new file, without ever putting a file at risk.

#include <cstdint>
#include <functional>
#include <string>

#include "core/platform/wait_cursor.h"

namespace nibblet {

// Replaces the file at `path` with `size` bytes: they are written to a new file in the same
// folder (created without following links, with the old file's permissions plus write access
// for the owner), every write is checked, the file is flushed to disk, then renamed over
// `path` and the folder is synced. `damaged`, when given, is asked before the rename: true
// means the bytes came from a mapping that faulted, and nothing is committed (EIO). Returns 0,
// or the system error code; on failure `path` is untouched and the new file is removed.
// `progress`, when given, hears of every few megabytes written; when it answers false nothing
// is committed and the result is ECANCELED.
int writeFileReplacing(const std::u16string& path, const std::uint8_t* bytes, std::uint32_t size,
                       const std::function<bool()>& damaged = {}, const ProgressReport& progress = {});

// Writes `size` bytes as the new file `path` with permissions `mode`, the same way, but never
// over an existing name: EEXIST when `path` exists.
int writeNewFile(const std::u16string& path, const std::uint8_t* bytes, std::uint32_t size, std::uint32_t mode,
                 const std::function<bool()>& damaged = {}, const ProgressReport& progress = {});

}  // namespace nibblet
