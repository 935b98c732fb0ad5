#include "core/platform/mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/platform/mapping_guard.h"
#include "core/platform/piece_reader.h"
#include "core/platform/unicode.h"

namespace nibblet {

int MappedFile::open(const std::u16string& path, Access access) {
  close();
  bool writable = access == Access::ReadWrite;
  int fd = ::open(toUtf8(path).c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC);
  if (fd < 0) return errno != 0 ? errno : 1;
  return adopt(fd, access);
}

int MappedFile::adopt(int fd, Access access) {
  close();
  m_fd = fd;
  bool writable = access == Access::ReadWrite;
  int error = 0;
  struct stat st;
  if (m_fd < 0) {
    error = EBADF;
  } else if (::fstat(m_fd, &st) != 0) {
    error = errno;
  } else if (!S_ISREG(st.st_mode)) {
    error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
  } else if (static_cast<std::uint64_t>(st.st_size) > 0xFFFFFFFFull) {
    error = EOVERFLOW;
  } else if (st.st_size == 0) {
    error = EINVAL;
  } else {
    m_size = static_cast<std::uint32_t>(st.st_size);
    void* view = ::mmap(nullptr, m_size, writable ? PROT_READ | PROT_WRITE : PROT_READ,
                        MAP_SHARED, m_fd, 0);
    if (view == MAP_FAILED) {
      error = errno;
    } else {
      m_bytes = static_cast<std::uint8_t*>(view);
      m_guardSlot = MappingGuard::watch(m_bytes, m_size);
      PieceReader::registerMapping(m_bytes, m_size, m_fd);
      return 0;
    }
  }
  close();
  return error != 0 ? error : 1;
}

bool MappedFile::isDamaged() const { return MappingGuard::isDamaged(m_guardSlot); }

int MappedFile::flush() {
  if (!m_bytes) return 0;
  if (isDamaged()) return EIO;
  return ::msync(m_bytes, m_size, MS_SYNC) == 0 ? 0 : (errno != 0 ? errno : EIO);
}

void MappedFile::close() {
  // The guard lets go first: after munmap the range may be reused by other memory.
  MappingGuard::forget(m_guardSlot);
  m_guardSlot = -1;
  if (m_bytes) {
    PieceReader::forgetMapping(m_bytes);
    ::munmap(m_bytes, m_size);
  }
  if (m_fd >= 0) ::close(m_fd);
  m_bytes = nullptr;
  m_fd = -1;
  m_size = 0;
}

}  // namespace nibblet
