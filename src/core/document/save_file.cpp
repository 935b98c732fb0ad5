#include "core/document/save_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/platform/posix_file.h"
#include "core/platform/unicode.h"

namespace nibblet {
namespace {

// Written between two reports: a few milliseconds of work.
constexpr std::uint32_t kReportEvery = 4u << 20;

// Writes the bytes into the new helper `fd`; nothing of a faulted mapping is kept, nor anything
// of a write the user stopped.
int writeHelper(int fd, const std::string& temp, const std::uint8_t* bytes, std::uint32_t size,
                const std::function<bool()>& damaged, const ProgressReport& progress) {
  int rc = 0;
  for (std::uint32_t at = 0; rc == 0 && at < size;) {
    std::uint32_t n = size - at < kReportEvery ? size - at : kReportEvery;
    rc = writeAll(fd, bytes + at, n);
    if (rc == 0) startWriteBack(fd, at, n);
    at += n;
    if (rc == 0 && progress && !progress(at, size)) rc = ECANCELED;
  }
  if (rc == 0 && damaged && damaged()) rc = EIO;
  if (rc != 0) discardFileBeside(fd, temp);
  return rc;
}

}  // namespace

int writeFileReplacing(const std::u16string& path, const std::uint8_t* bytes, std::uint32_t size,
                       const std::function<bool()>& damaged, const ProgressReport& progress) {
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
  if (rc == 0) rc = writeHelper(fd, temp, bytes, size, damaged, progress);
  if (rc != 0) return rc;
  return commitFileBeside(fd, temp, target);
}

int writeNewFile(const std::u16string& path, const std::uint8_t* bytes, std::uint32_t size, std::uint32_t mode,
                 const std::function<bool()>& damaged, const ProgressReport& progress) {
  std::string target = toUtf8(path);
  int fd = -1;
  std::string temp;
  int rc = createFileBeside(target, "nbs", static_cast<mode_t>(mode), fd, temp);
  if (rc == 0) rc = writeHelper(fd, temp, bytes, size, damaged, progress);
  if (rc != 0) return rc;
  if (::fsync(fd) != 0) rc = lastError();
  // The name is taken only when free: a file someone made there meanwhile stays as it is. A
  // file system without that kind of rename gets a link to the new name instead.
  bool renamed = false;
  if (rc == 0) {
    renamed = ::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0;
    if (!renamed) rc = lastError();
    if (rc == EINVAL) rc = ::link(temp.c_str(), target.c_str()) == 0 ? 0 : lastError();
  }
  if (!renamed) ::unlink(temp.c_str());
  ::close(fd);
  if (rc == 0) rc = syncFolderOf(target);
  return rc;
}

}  // namespace nibblet
