#include "core/platform/copy_bytes.h"

#include <fcntl.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/fs.h>
#include <sys/ioctl.h>
#endif

#include <cerrno>
#include <memory>
#include <new>

#include "core/platform/posix_file.h"

namespace nibblet {
namespace {

// Copied between two reports: small enough that a busy disk holds one back only for a moment,
// so a tap on Cancel is heard soon. A copy that is not sent to the disk as it goes only fills
// the page cache, a few milliseconds for the larger piece, and each call of the system costs
// its share: it goes in larger pieces.
constexpr std::size_t kChunk = 8u << 20;
constexpr std::size_t kCachedChunk = 64u << 20;
constexpr std::size_t kBuffer = 1u << 20;

// Errors that say only that this way of copying is not available between these two files.
bool notSupported(int error) {
  return error == EXDEV || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP || error == ENOTTY ||
         error == EBADF || error == EPERM;
}

class Copy {
 public:
  Copy(int in, int out, std::uint64_t total, const ProgressReport& progress, bool writeBack)
      : m_in(in), m_out(out), m_total(total), m_progress(progress), m_writeBack(writeBack),
        m_chunk(writeBack ? kChunk : kCachedChunk) {}

  // 0, ECANCELED, the system error, or -1 when this way is not available (nothing copied).
  int inKernel() {
#ifndef __linux__
    return -1;
#endif
    for (;;) {
      ssize_t n = ::copy_file_range(m_in, nullptr, m_out, nullptr, m_chunk, 0);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return m_copied == 0 && notSupported(errno) ? -1 : lastError();
      if (n == 0) return 0;
      if (int rc = copied(static_cast<std::uint64_t>(n)); rc != 0) return rc;
    }
  }

  int readAndWrite() {
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[kBuffer]);
    if (!buffer) return ENOMEM;
    for (;;) {
      ssize_t n = ::read(m_in, buffer.get(), kBuffer);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return lastError();
      if (n == 0) return 0;
      if (int rc = writeAll(m_out, buffer.get(), static_cast<std::size_t>(n)); rc != 0) return rc;
      if (int rc = copied(static_cast<std::uint64_t>(n)); rc != 0) return rc;
    }
  }

  int end() { return m_progress && !m_progress(m_copied, m_total) ? ECANCELED : 0; }

 private:
  // Counts `n` more bytes; every chunk starts their way to the disk and reports progress.
  int copied(std::uint64_t n) {
    m_copied += n;
    if (m_copied - m_reported < m_chunk) return 0;
    if (m_writeBack) startWriteBack(m_out, m_reported, m_copied - m_reported);
    m_reported = m_copied;
    return m_progress && !m_progress(m_copied, m_total) ? ECANCELED : 0;
  }

  int m_in, m_out;
  std::uint64_t m_total;
  const ProgressReport& m_progress;
  bool m_writeBack;
  std::size_t m_chunk;
  std::uint64_t m_copied = 0;
  std::uint64_t m_reported = 0;
};

}  // namespace

int copyFileBytes(int in, int out, std::uint64_t total, const ProgressReport& progress, bool startWriteBack) {
  Copy copy(in, out, total, progress, startWriteBack);
  // From the file's start, whatever was read from this descriptor before.
  if (::lseek(in, 0, SEEK_SET) != 0) return lastError();
#ifdef __linux__
  if (::ioctl(out, FICLONE, in) == 0) return copy.end();
#endif
  int rc = copy.inKernel();
  if (rc == -1) rc = copy.readAndWrite();
  return rc != 0 ? rc : copy.end();
}

}  // namespace nibblet
