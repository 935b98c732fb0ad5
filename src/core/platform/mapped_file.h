#pragma once
// A whole file mapped into memory: the document's bytes, edited in place, or the second file
// of a comparison, read-only. Writes into a read-write mapping reach the file without a save.

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
  // Unmaps and closes; does nothing when closed.
  void close();

  bool isOpen() const { return m_bytes != nullptr; }
  std::uint8_t* bytes() { return m_bytes; }
  const std::uint8_t* bytes() const { return m_bytes; }
  std::uint32_t size() const { return m_size; }

 private:
  int m_fd = -1;
  std::uint8_t* m_bytes = nullptr;
  std::uint32_t m_size = 0;
};

}  // namespace nibblet
