#pragma once
// The POSIX steps shared by everything that replaces a file safely: a fresh file beside the
// target, checked writes, and syncing the folder after the rename.

#include <sys/types.h>

#include <cstddef>
#include <string>

namespace nibblet {

// Creates a new file in the folder of `target` under a fresh name ("<target>.<tag>...part"),
// with O_EXCL and O_NOFOLLOW so that no existing name or planted link is ever opened. Returns 0
// with `fd` and `tempName` set, or the system error code.
int createFileBeside(const std::string& target, const char* tag, mode_t mode, int& fd, std::string& tempName);

// Writes all `size` bytes, retrying short writes; 0 or the system error code.
int writeAll(int fd, const void* data, std::size_t size);

// Flushes `fd` to disk, closes it and renames `tempName` over `target`, then syncs the folder.
// On any failure the temporary file is removed and the error code returned; `target` is untouched.
int commitFileBeside(int fd, const std::string& tempName, const std::string& target);

}  // namespace nibblet
