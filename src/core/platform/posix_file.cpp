#include "core/platform/posix_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace nibblet {
namespace {

// Closes `fd` on a thread of its own: the last close of a removed file frees its blocks and
// waits for its pages on their way to the disk, which the caller need not wait for.
void closeOnItsOwn(int fd) {
  try {
    std::thread([fd] { ::close(fd); }).detach();
  } catch (const std::system_error&) {
    ::close(fd);  // no thread to be had: the wait is paid here
  }
}


// ".tag" + 8 + 8 hex digits + ".part"
constexpr std::size_t kHelperNameLength = 1 + 3 + 16 + 5;

bool isHelperName(const char* name) {
  std::size_t n = std::strlen(name);
  if (n != kHelperNameLength || name[0] != '.' || std::strcmp(name + n - 5, ".part") != 0) return false;
  for (std::size_t i = 4; i < 20; ++i)
    if (!std::strchr("0123456789ABCDEF", name[i]) || name[i] == 0) return false;
  return true;
}

}  // namespace

int lastError() { return errno != 0 ? errno : EIO; }

std::string folderOf(const std::string& path) {
  auto cut = path.rfind('/');
  if (cut == std::string::npos) return ".";
  return cut == 0 ? "/" : path.substr(0, cut);
}

std::uint32_t randomValue() {
  std::uint32_t value = 0;
  if (::getrandom(&value, sizeof value, GRND_NONBLOCK) == static_cast<ssize_t>(sizeof value)) return value;
  // No entropy yet (early boot): time and address bits still keep names apart between runs.
  struct timespec now;
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::uint32_t>(now.tv_nsec) ^ static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(&now));
}

int createFileBeside(const std::string& target, const char* tag, mode_t mode, int& fd, std::string& tempName,
                     NewFileMode how) {
  fd = -1;
  std::string folder = folderOf(target);
  for (int attempt = 0; attempt < 100; ++attempt) {
    char name[32];
    std::snprintf(name, sizeof name, ".%.3s%08X%08X.part", tag, static_cast<unsigned>(::getpid()),
                  static_cast<unsigned>(randomValue()));
    tempName = folder;
    if (tempName.back() != '/') tempName += '/';
    tempName += name;
    fd = ::open(tempName.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd >= 0) {
      // The lock tells a later start that this helper is in use: without it the helper could
      // be taken for a dead process's. The umask may have narrowed the mode; an exact mode is
      // then set again.
      int rc = ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? 0 : lastError();
      if (rc == 0 && how == NewFileMode::Exact && ::fchmod(fd, mode) != 0) rc = lastError();
      if (rc == 0) return 0;
      ::close(fd);
      fd = -1;
      ::unlink(tempName.c_str());
      return rc;
    }
    if (errno != EEXIST) break;
  }
  return lastError();
}

int writeAll(int fd, const void* data, std::size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    std::size_t chunk = size < (std::size_t{1} << 24) ? size : (std::size_t{1} << 24);
    ssize_t n = ::write(fd, p, chunk);
    if (n < 0) {
      if (errno == EINTR) continue;
      return lastError();
    }
    if (n == 0) return ENOSPC;
    p += n;
    size -= static_cast<std::size_t>(n);
  }
  return 0;
}

int writeAllAt(int fd, const void* data, std::size_t size, std::uint64_t offset) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    std::size_t chunk = size < (std::size_t{1} << 24) ? size : (std::size_t{1} << 24);
    ssize_t n = ::pwrite(fd, p, chunk, static_cast<off_t>(offset));
    if (n < 0) {
      if (errno == EINTR) continue;
      return lastError();
    }
    if (n == 0) return ENOSPC;
    p += n;
    offset += static_cast<std::uint64_t>(n);
    size -= static_cast<std::size_t>(n);
  }
  return 0;
}

int copyInPlace(int from, int to, std::uint64_t size, const std::function<bool(std::uint64_t, std::uint64_t)>& progress) {
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::min<std::uint64_t>(size, 1 << 20)));
  for (std::uint64_t at = 0; at < size;) {
    std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), size - at));
    int rc = readAllAt(from, buffer.data(), n, at);
    if (rc == 0) rc = writeAllAt(to, buffer.data(), n, at);
    if (rc != 0) return rc;
    at += n;
    if (progress && !progress(at, size)) return ECANCELED;
  }
  return 0;
}

int readAllAt(int fd, void* data, std::size_t size, std::uint64_t offset) {
  char* p = static_cast<char*>(data);
  while (size > 0) {
    ssize_t n = ::pread(fd, p, size, static_cast<off_t>(offset));
    if (n < 0) {
      if (errno == EINTR) continue;
      return lastError();
    }
    if (n == 0) return EIO;
    p += n;
    offset += static_cast<std::uint64_t>(n);
    size -= static_cast<std::size_t>(n);
  }
  return 0;
}

bool isSameFolder(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && S_ISDIR(sa.st_mode) &&
         sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

int syncFolderOf(const std::string& path) {
  int dir = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return lastError();
  int rc = ::fsync(dir) == 0 ? 0 : lastError();
  ::close(dir);
  // Some file systems cannot sync a folder at all; their names are as safe as they get.
  return rc == EINVAL ? 0 : rc;
}

void startWriteBack(int fd, std::uint64_t offset, std::uint64_t length) {
#ifdef __linux__
  ::sync_file_range(fd, static_cast<off_t>(offset), static_cast<off_t>(length), SYNC_FILE_RANGE_WRITE);
#else
  (void)fd;
  (void)offset;
  (void)length;
#endif
}

int syncInPieces(int fd, std::uint64_t size, const std::function<bool(std::uint64_t, std::uint64_t)>& progress) {
#ifdef __linux__
  constexpr std::uint64_t kPiece = 16u << 20;
  for (std::uint64_t at = 0; at < size; at += kPiece) {
    const std::uint64_t n = std::min(kPiece, size - at);
    if (::sync_file_range(fd, static_cast<off_t>(at), static_cast<off_t>(n),
                          SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER) != 0)
      break;  // a file system without it: the fdatasync below does all of it
    if (progress && !progress(at + n, size)) return ECANCELED;
  }
#endif
  if (!progress) return ::fdatasync(fd) == 0 ? 0 : lastError();
  // The closing flush waits for the disk's own cache, which on some disks takes longer than a
  // tap may wait. It runs on a thread of its own, on its own descriptor, while the caller keeps
  // asking whether the work goes on; a stop leaves the flush to finish unobserved.
  struct Flush {
    std::mutex lock;
    std::condition_variable done;
    int result = -1;
  };
  auto flush = std::make_shared<Flush>();
  int own = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
  if (own < 0) return ::fdatasync(fd) == 0 ? 0 : lastError();
  try {
    std::thread([own, flush] {
      int rc = ::fdatasync(own) == 0 ? 0 : lastError();
      ::close(own);
      std::lock_guard<std::mutex> hold(flush->lock);
      flush->result = rc;
      flush->done.notify_all();
    }).detach();
  } catch (const std::system_error&) {
    ::close(own);
    return ::fdatasync(fd) == 0 ? 0 : lastError();
  }
  std::unique_lock<std::mutex> hold(flush->lock);
  while (!flush->done.wait_for(hold, std::chrono::milliseconds(20), [&] { return flush->result >= 0; })) {
    hold.unlock();
    if (!progress(size, size)) return ECANCELED;
    hold.lock();
  }
  return flush->result;
}

void discardFileBeside(int fd, const std::string& tempName) {
  ::unlink(tempName.c_str());
  closeOnItsOwn(fd);
}

int renameFileBeside(int fd, const std::string& tempName, const std::string& target) {
  int rc = ::fsync(fd) == 0 ? 0 : lastError();
  // A large file the new one replaces would have its blocks freed inside the rename; held by a
  // path-only descriptor (which opens nothing of a device or a pipe), it lets go of them on a
  // thread of its own afterwards.
  int replaced = rc == 0 ? ::open(target.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC) : -1;
  if (rc == 0 && ::rename(tempName.c_str(), target.c_str()) != 0) rc = lastError();
  if (replaced >= 0) closeOnItsOwn(replaced);
  if (rc != 0) {
    ::unlink(tempName.c_str());
    return rc;
  }
  // The new name is in place; a folder that cannot be synced is still reported, since the
  // name may not survive a power cut.
  return syncFolderOf(target);
}

int commitFileBeside(int fd, const std::string& tempName, const std::string& target) {
  int rc = renameFileBeside(fd, tempName, target);
  if (::close(fd) != 0 && rc == 0) rc = lastError();
  return rc;
}

int identityOf(int fd, const std::string& path, FileIdentity& out) {
  struct statx st;
  int rc = fd >= 0 ? ::statx(fd, "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &st)
                   : ::statx(AT_FDCWD, path.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &st);
  if (rc != 0) return lastError();
  out = FileIdentity();
  // Encoded as stat's st_dev, so identities kept by earlier versions still compare.
  out.device = static_cast<std::uint64_t>(makedev(st.stx_dev_major, st.stx_dev_minor));
  out.inode = st.stx_ino;
  out.size = st.stx_size;
  out.modifiedSeconds = st.stx_mtime.tv_sec;
  out.modifiedNanoseconds = st.stx_mtime.tv_nsec;
  out.changed = {st.stx_ctime.tv_sec, st.stx_ctime.tv_nsec};
  out.hasBirth = (st.stx_mask & STATX_BTIME) != 0;
  if (out.hasBirth) out.born = {st.stx_btime.tv_sec, st.stx_btime.tv_nsec};
  return 0;
}

bool lockIfAbandoned(int fd) {
  struct stat st;
  return fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
         ::flock(fd, LOCK_EX | LOCK_NB) == 0;
}

int openAbandoned(const std::string& path, int flags) {
  // Not blocking: a planted pipe must not hold the start up.
  int fd = ::open(path.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  if (lockIfAbandoned(fd)) return fd;
  ::close(fd);
  return -1;
}

int removeStaleHelperFiles(const std::string& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return 0;
  int removed = 0;
  while (dirent* e = ::readdir(dir)) {
    if (!isHelperName(e->d_name)) continue;
    std::string path = folder + "/" + e->d_name;
    // A helper is locked from the moment after its creation; one taken away in that instant
    // from a program starting at the same time only makes that program's copy or save fail
    // with its error, never lose a byte.
    int fd = openAbandoned(path, O_RDONLY);
    if (fd < 0) continue;
    if (::unlink(path.c_str()) == 0) ++removed;
    ::close(fd);
  }
  ::closedir(dir);
  return removed;
}

}  // namespace nibblet
