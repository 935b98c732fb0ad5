#include "core/platform/posix_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace nibblet {
namespace {

int lastError() { return errno != 0 ? errno : EIO; }

std::string folderOf(const std::string& path) {
  auto cut = path.rfind('/');
  if (cut == std::string::npos) return ".";
  return cut == 0 ? "/" : path.substr(0, cut);
}

}  // namespace

int createFileBeside(const std::string& target, const char* tag, mode_t mode, int& fd, std::string& tempName) {
  fd = -1;
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[64];
    std::snprintf(suffix, sizeof suffix, ".%s%d-%u-%d.part", tag, static_cast<int>(::getpid()),
                  static_cast<unsigned>(std::rand()), attempt);
    tempName = target + suffix;
    fd = ::open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd >= 0) {
      // The umask may have narrowed the mode; the new file gets exactly the one asked for.
      ::fchmod(fd, mode);
      return 0;
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

int commitFileBeside(int fd, const std::string& tempName, const std::string& target) {
  int rc = ::fsync(fd) == 0 ? 0 : lastError();
  if (::close(fd) != 0 && rc == 0) rc = lastError();
  if (rc == 0 && ::rename(tempName.c_str(), target.c_str()) != 0) rc = lastError();
  if (rc != 0) {
    ::unlink(tempName.c_str());
    return rc;
  }
  int dir = ::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return 0;
}

}  // namespace nibblet
