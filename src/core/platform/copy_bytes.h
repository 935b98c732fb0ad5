#pragma once
// The bytes of one file copied into another the fastest way the file systems allow.

#include <cstdint>

#include "core/platform/wait_cursor.h"

namespace nibblet {

// Copies everything `in` holds from its start into the empty file `out`: by sharing the file's
// extents where the file system can (a copy that takes no time and no space until either file
// changes), else by copy_file_range inside the system, else by reading and writing. With
// `startWriteBack`, writing back to disk starts as the copy goes, so the caller's final sync has
// little left to wait for.
// `progress`, when given, hears of every 8 MiB copied (copied, total) and of the end; when it
// returns false the copy stops with ECANCELED and `out` holds part of the bytes. Returns 0 or
// the system error code.
int copyFileBytes(int in, int out, std::uint64_t total, const ProgressReport& progress,
                  bool startWriteBack = true);

}  // namespace nibblet
