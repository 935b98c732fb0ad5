#pragma once
// The POSIX steps shared by everything that writes a file safely: a fresh helper file beside
// the target, checked writes, syncing the folder after a rename, file identities, and the
// removal of helper files left by processes that died.

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace nibblet {

// The error of the system call that just failed; EIO when the system left none.
int lastError();

// Creates a new helper file in the folder of `target`, named ".<tag><pid><random>.part" (the
// same short length whatever the target's name), with O_EXCL and O_NOFOLLOW so that no existing
// name or planted link is ever opened, and holds an exclusive lock on it while it lives. Returns
// 0 with `fd` and `tempName` set, or the system error code. `tag` is three letters.
int createFileBeside(const std::string& target, const char* tag, mode_t mode, int& fd, std::string& tempName);

// Writes all `size` bytes, retrying short writes; 0 or the system error code.
int writeAll(int fd, const void* data, std::size_t size);
// Writes all `size` bytes at `offset`; 0 or the system error code.
int writeAllAt(int fd, const void* data, std::size_t size, std::uint64_t offset);
// Reads exactly `size` bytes at `offset`; a file too short gives EIO.
int readAllAt(int fd, void* data, std::size_t size, std::uint64_t offset);

// Flushes `fd` to disk, then renames `tempName` over `target` and syncs the folder. `fd` stays
// open (and locked) for the caller, who must close it. On failure the temporary file is
// removed and the error code returned; `target` is untouched.
int renameFileBeside(int fd, const std::string& tempName, const std::string& target);
// renameFileBeside, then closes `fd`.
int commitFileBeside(int fd, const std::string& tempName, const std::string& target);

// Syncs the folder that holds `path`, so a created, renamed or removed name survives a crash.
void syncFolderOf(const std::string& path);
std::string folderOf(const std::string& path);

// What makes a file the same file: device, inode, size and modification time.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::uint64_t size = 0;
  std::int64_t modifiedSeconds = 0;
  std::int64_t modifiedNanoseconds = 0;

  bool sameFile(const FileIdentity& o) const { return device == o.device && inode == o.inode; }
  bool operator==(const FileIdentity& o) const = default;
};
// 0 or the system error code; `fd` -1 takes `path` (following links) instead.
int identityOf(int fd, const std::string& path, FileIdentity& out);

// A fresh random number for helper names, from the system's random source.
std::uint32_t randomValue();

// Removes the helper files (".xxx<pid><random>.part") in `folder` that no running process
// holds: left by a process that died while copying or saving. Returns how many were removed.
int removeStaleHelperFiles(const std::string& folder);

}  // namespace nibblet
