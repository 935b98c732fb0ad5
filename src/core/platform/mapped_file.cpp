#include "core/platform/mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/platform/unicode.h"

namespace nibblet {

int MappedFile::open(const std::u16string& path, Access access) {
  close();
  bool writable = access == Access::ReadWrite;
  std::string native = toUtf8(path);
  m_fd = ::open(native.c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC);
  int error = 0;
  struct stat st;
  if (m_fd < 0) {
    error = errno;
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
      return 0;
    }
  }
  close();
  return error != 0 ? error : 1;
}

void MappedFile::close() {
  if (m_bytes) ::munmap(m_bytes, m_size);
  if (m_fd >= 0) ::close(m_fd);
  m_bytes = nullptr;
  m_fd = -1;
  m_size = 0;
}

}  // namespace nibblet
