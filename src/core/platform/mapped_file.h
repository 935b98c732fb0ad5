#pragma once
// A whole file mapped into memory: the document's bytes, edited in place, or the second file
// of a comparison, read-only. Writes into a read-write mapping reach the file without a save.
// Every mapping is guarded: when another program shortens the file, accesses past its new end
// no longer crash the program but mark the mapping as damaged (see MappingGuard).

#include <cstdint>
#include <string>

namespace nibblet {

enum class Access { ReadOnly, ReadWrite };

class MappedFile {
 public:
  MappedFile() = default;
  ~MappedFile() { close(); }
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  // Closes what is held, then maps the whole existing file. Returns 0, or the system error
  // code (1 when the system gives none). Files of 4 GiB or more are refused with EOVERFLOW,
  // since their size does not fit `size`; an empty file is refused with EINVAL.
  int open(const std::u16string& path, Access access);
  // Like open, over a descriptor the caller opened; the MappedFile owns it from then on, also
  // when mapping fails (it is closed then).
  int adopt(int fd, Access access);
  // Unmaps and closes; does nothing when closed.
  void close();
  // Writes the mapped pages back to the file and waits for them; 0 or the system error code.
  int flush();

  bool isOpen() const { return m_bytes != nullptr; }
  // True once an access faulted because the file no longer covers the mapping (shortened by
  // another program, or a page that could not be written). The bytes past the fault are then
  // zeros that belong to no file.
  bool isDamaged() const;
  std::uint8_t* bytes() { return m_bytes; }
  const std::uint8_t* bytes() const { return m_bytes; }
  std::uint32_t size() const { return m_size; }
  // The open descriptor, or -1.
  int descriptor() const { return m_fd; }

 private:
  int m_fd = -1;
  int m_guardSlot = -1;
  std::uint8_t* m_bytes = nullptr;
  std::uint32_t m_size = 0;
};

}  // namespace nibblet
