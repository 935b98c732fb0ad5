#include "core/document/target_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/platform/posix_file.h"

namespace nibblet {

int TargetFile::open(const std::string& path) {
  close();
  m_path = path;
  m_writable = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (m_writable >= 0) return 0;
  int rc = lastError();
  if (rc != EACCES) return rc;
  m_readable = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (m_readable < 0) return rc;
  struct stat st;
  if (::fstat(m_readable, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
    close();
    return rc;
  }
  m_mode = st.st_mode & 07777;
  return 0;
}

int TargetFile::makeWritable() {
  if (m_writable >= 0) return 0;
  if (m_readable < 0) return EBADF;
  if (::fchmod(m_readable, m_mode | S_IWUSR) != 0) return lastError();
  m_writable = ::open(m_path.c_str(), O_RDWR | O_CLOEXEC);
  int rc = m_writable < 0 ? lastError() : 0;
  struct stat a, b;
  if (rc == 0 && (::fstat(m_readable, &a) != 0 || ::fstat(m_writable, &b) != 0 || a.st_dev != b.st_dev ||
                  a.st_ino != b.st_ino))
    rc = ESTALE;
  if (rc != 0) {
    if (m_writable >= 0) ::close(m_writable);
    m_writable = -1;
    // The first error is the one reported; the mode goes back as far as the system lets it
    // (the same call just failed or succeeded on the same descriptor).
    ::fchmod(m_readable, m_mode);
  }
  return rc;
}

int TargetFile::setMode(std::uint32_t mode) {
  return ::fchmod(fd(), static_cast<mode_t>(mode)) == 0 ? 0 : lastError();
}

void TargetFile::close() {
  if (m_writable >= 0) ::close(m_writable);
  if (m_readable >= 0) ::close(m_readable);
  m_writable = m_readable = -1;
  m_mode = kNoModeChange;
}

}  // namespace nibblet
