#include "core/document/journal_format.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace nibblet::journal {

namespace {
constexpr std::size_t kPiece = 64 * 1024;
}

PieceReader::PieceReader(int fd, std::uint64_t start, std::uint64_t end)
    : m_fd(fd), m_position(start), m_end(std::max(start, end)) {}

bool PieceReader::fill() {
  if (m_buffer.empty()) m_buffer.resize(kPiece);
  std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kPiece, m_end - m_position));
  if (want == 0) return false;
  for (;;) {
    ssize_t n = ::pread(m_fd, m_buffer.data(), want, static_cast<off_t>(m_position));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    m_have = static_cast<std::size_t>(n);
    m_at = 0;
    m_position += m_have;
    return true;
  }
}

bool PieceReader::read(void* out, std::size_t n) {
  auto* p = static_cast<std::uint8_t*>(out);
  while (ok && n > 0) {
    if (m_at == m_have && !fill()) return ok = false;
    std::size_t take = std::min(n, m_have - m_at);
    const std::uint8_t* from = m_buffer.data() + m_at;
    m_check = checksum(from, take, m_check);
    if (p) {
      std::memcpy(p, from, take);
      p += take;
    }
    m_at += take;
    n -= take;
  }
  return ok;
}

bool PieceReader::skip(std::uint64_t n) {
  while (ok && n > 0) {
    std::size_t step = static_cast<std::size_t>(std::min<std::uint64_t>(n, kPiece));
    read(nullptr, step);
    n -= step;
  }
  return ok;
}

std::uint64_t PieceReader::number(int bytes) {
  std::uint8_t b[8] = {};
  if (bytes > 8 || !read(b, static_cast<std::size_t>(bytes))) return 0;
  std::uint64_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= static_cast<std::uint64_t>(b[i]) << (8 * i);
  return v;
}

std::string PieceReader::text() {
  std::uint64_t n = number(4);
  if (!ok || n > kMaxTextBytes || n > left()) {
    ok = false;
    return {};
  }
  std::string t(static_cast<std::size_t>(n), '\0');
  read(t.data(), t.size());
  return ok ? t : std::string();
}

bool regularFileSize(int fd, std::uint64_t& size) {
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return false;
  size = static_cast<std::uint64_t>(st.st_size);
  return true;
}

}  // namespace nibblet::journal
