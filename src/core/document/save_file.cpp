#include "core/document/save_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "core/platform/unicode.h"

namespace nibblet {
namespace {

int lastError() { return errno != 0 ? errno : EIO; }

}  // namespace

int writeFileReplacing(const std::u16string& path, const std::uint8_t* bytes, std::uint32_t size) {
  std::string target = toUtf8(path);
  std::string folder = ".";
  if (auto cut = target.rfind('/'); cut != std::string::npos) folder = cut == 0 ? "/" : target.substr(0, cut);

  mode_t mode = 0666;
  struct stat st;
  if (::stat(target.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return EISDIR;
    mode = (st.st_mode & 07777) | S_IWUSR;
  }

  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    char suffix[48];
    std::snprintf(suffix, sizeof suffix, ".nbs%d-%u-%d.part", static_cast<int>(::getpid()),
                  static_cast<unsigned>(std::rand()), attempt);
    temp = target + suffix;
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) return lastError();
  // The umask may have narrowed the mode; the saved file keeps the old file's permissions.
  ::fchmod(fd, mode);

  int rc = 0;
  std::size_t done = 0;
  while (done < size) {
    std::size_t chunk = size - done < (1u << 24) ? size - done : (1u << 24);
    ssize_t n = ::write(fd, bytes + done, chunk);
    if (n < 0) {
      if (errno == EINTR) continue;
      rc = lastError();
      break;
    }
    if (n == 0) {
      rc = ENOSPC;
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  if (rc == 0 && ::fsync(fd) != 0) rc = lastError();
  if (::close(fd) != 0 && rc == 0) rc = lastError();
  if (rc == 0 && ::rename(temp.c_str(), target.c_str()) != 0) rc = lastError();
  if (rc != 0) {
    ::unlink(temp.c_str());
    return rc;
  }
  int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return 0;
}

}  // namespace nibblet
