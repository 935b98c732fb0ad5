#include "core/document/save_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/platform/posix_file.h"
#include "core/platform/unicode.h"

namespace nibblet {

namespace {

// Written between two reports: a few milliseconds of work.
constexpr std::uint32_t kReportEvery = 4u << 20;

}  // namespace

int writeFileReplacing(const std::u16string& path, const std::uint8_t* bytes, std::uint32_t size,
                       const ProgressReport& progress) {
  std::string target = toUtf8(path);
  // The saved file keeps the old file's permissions, made writable for the owner.
  mode_t mode = 0644;
  struct stat st;
  if (::stat(target.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return EISDIR;
    mode = (st.st_mode & 07777) | S_IWUSR;
  }
  int fd = -1;
  std::string temp;
  int rc = createFileBeside(target, "nbs", mode, fd, temp);
  if (rc != 0) return rc;
  for (std::uint32_t at = 0; rc == 0 && at < size;) {
    std::uint32_t n = size - at < kReportEvery ? size - at : kReportEvery;
    rc = writeAll(fd, bytes + at, n);
    at += n;
    if (rc == 0 && progress && !progress(at, size)) rc = ECANCELED;
  }
  if (rc != 0) {
    ::close(fd);
    ::unlink(temp.c_str());
    return rc;
  }
  return commitFileBeside(fd, temp, target);
}

}  // namespace nibblet
