#pragma once
// The little-endian fields and the checksum shared by the program's journals: the crash journal
// of edits and the save journal. Journals are read front to back in pieces of 64 KiB, whatever
// their size; readers check every length against what is left, so a damaged journal is refused,
// never read past its end.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace nibblet::journal {

constexpr std::uint32_t kMaxTextBytes = 4096;
constexpr std::uint32_t kChecksumStart = 2166136261u;  // FNV-1a

inline std::uint32_t checksum(const std::uint8_t* p, std::size_t n, std::uint32_t h = kChecksumStart) {
  for (std::size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 16777619u;
  return h;
}

// Builds a small record (a header) in memory.
struct Writer {
  std::vector<std::uint8_t> out;
  void number(std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  void text(const std::string& t) {
    number(t.size(), 4);
    out.insert(out.end(), t.begin(), t.end());
  }
};

// Reads a journal file from `start` up to `end`, front to back, through a 64 KiB buffer, and
// keeps the checksum of every byte it has read. After a failed read `ok` stays false.
class PieceReader {
 public:
  PieceReader(int fd, std::uint64_t start, std::uint64_t end);

  bool read(void* out, std::size_t n);
  // Reads `n` bytes without keeping them (the checksum still covers them).
  bool skip(std::uint64_t n);
  std::uint64_t number(int bytes);
  // A text of at most kMaxTextBytes.
  std::string text();

  bool ok = true;
  std::uint64_t position() const { return m_position - (m_have - m_at); }
  std::uint64_t left() const { return m_end - position(); }
  std::uint32_t check() const { return m_check; }

 private:
  bool fill();
  int m_fd;
  std::uint64_t m_position;  // of the byte after the buffer's content
  std::uint64_t m_end;
  std::vector<std::uint8_t> m_buffer;
  std::size_t m_have = 0;
  std::size_t m_at = 0;
  std::uint32_t m_check = kChecksumStart;
};

// The length of the regular file `fd`; false when it is not one.
bool regularFileSize(int fd, std::uint64_t& size);

}  // namespace nibblet::journal
