#pragma once
// The POSIX steps shared by everything that writes a file safely: a fresh helper file beside
// the target, checked writes, syncing the folder after a rename, file identities, and the
// removal of helper files left by processes that died.

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace nibblet {

// The error of the system call that just failed; EIO when the system left none.
int lastError();

// How a new file gets its permissions: exactly the mode asked for, or that mode narrowed by the
// user's umask, as any new file of the user's.
enum class NewFileMode { Exact, UnderUmask };

// Creates a new helper file in the folder of `target`, named ".<tag><pid><random>.part" (the
// same short length whatever the target's name), with O_EXCL and O_NOFOLLOW so that no existing
// name or planted link is ever opened, and holds an exclusive lock on it while it lives. Returns
// 0 with `fd` and `tempName` set, or the system error code. `tag` is three letters.
int createFileBeside(const std::string& target, const char* tag, mode_t mode, int& fd, std::string& tempName,
                     NewFileMode how = NewFileMode::Exact);

// Copies the first `size` bytes of `from` over `to` in place, in pieces of 1 MiB, telling
// `progress` (done, total) after each; a progress that answers false stops the copy with
// ECANCELED. 0 or the system error code; `to` keeps its length.
int copyInPlace(int from, int to, std::uint64_t size, const std::function<bool(std::uint64_t, std::uint64_t)>& progress = {});

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
// Starts writing `length` bytes of `fd` from `offset` to the disk without waiting for them, so
// the flush that ends a long write has little left to do (and a tap on Cancel is not kept
// waiting behind it).
void startWriteBack(int fd, std::uint64_t offset, std::uint64_t length);
// Puts the first `size` bytes of `fd` and its size on the disk, in pieces that each end with a
// call of `progress` (written, total); when it answers false the rest is left to the system and
// the result is ECANCELED. 0 or the system error code.
int syncInPieces(int fd, std::uint64_t size, const std::function<bool(std::uint64_t, std::uint64_t)>& progress);
// Removes the helper file `tempName` that a piece of work gives up, and closes its descriptor
// `fd`. The name goes at once; dropping the file's pages, which waits for those already on their
// way to the disk, is left to a thread of its own, so stopped work ends at once.
void discardFileBeside(int fd, const std::string& tempName);

// True when both paths name the same existing folder, however they are spelled.
bool isSameFolder(const std::string& a, const std::string& b);

// Syncs the folder that holds `path`, so a created, renamed or removed name survives a crash.
// 0 or the system error code; a file system that cannot sync folders counts as success.
int syncFolderOf(const std::string& path);
std::string folderOf(const std::string& path);

// A point in time as the file system keeps it.
struct StatTime {
  std::int64_t seconds = 0;
  std::int64_t nanoseconds = 0;
  bool operator==(const StatTime&) const = default;
  auto operator<=>(const StatTime&) const = default;
};

// What makes a file the same file: device, inode, size and modification time; with the change
// time and, where the file system keeps one, the birth time, which tell a file from a later one
// that was given the same inode.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::uint64_t size = 0;
  std::int64_t modifiedSeconds = 0;
  std::int64_t modifiedNanoseconds = 0;
  StatTime changed;
  StatTime born;
  bool hasBirth = false;

  bool sameFile(const FileIdentity& o) const { return device == o.device && inode == o.inode; }
  // The same file, born at the same moment when both times are known: an inode number that was
  // freed and given to a new file is told apart.
  bool sameBirth(const FileIdentity& o) const {
    return sameFile(o) && (!hasBirth || !o.hasBirth || born == o.born);
  }
  // Same file, size and modification time: nothing was written to it in between. The change
  // time is left out: a mode given back after a save changes it, not the bytes.
  bool operator==(const FileIdentity& o) const {
    return sameFile(o) && size == o.size && modifiedSeconds == o.modifiedSeconds &&
           modifiedNanoseconds == o.modifiedNanoseconds;
  }
};
// 0 or the system error code; `fd` -1 takes `path` (following links) instead.
int identityOf(int fd, const std::string& path, FileIdentity& out);

// Opens `path` with `flags` and locks it when it is a regular file of this user that no running
// process holds: a helper file or journal left by a process that died. Returns the open, locked
// descriptor, or -1 (a live process's file, someone else's, or none). Links are never followed.
int openAbandoned(const std::string& path, int flags);
// The same check for a descriptor already open: true when it is now locked for the caller.
bool lockIfAbandoned(int fd);

// A fresh random number for helper names, from the system's random source.
std::uint32_t randomValue();

// Removes the helper files (".xxx<pid><random>.part") in `folder` that no running process
// holds: left by a process that died while copying or saving. Returns how many were removed.
int removeStaleHelperFiles(const std::string& folder);

}  // namespace nibblet
