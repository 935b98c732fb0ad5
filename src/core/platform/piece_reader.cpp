#include "core/platform/piece_reader.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <new>

namespace nibblet {
namespace {

struct Mapping {
  std::uintptr_t begin = 0;
  std::uintptr_t end = 0;
  int fd = -1;
};

// As many as the mapping guard watches; a mapping beyond them is simply used in place.
constexpr int kMappings = 16;
Mapping g_mappings[kMappings];

const Mapping* findMapping(std::uintptr_t at, std::size_t n) {
  for (const Mapping& m : g_mappings)
    if (m.begin != 0 && at >= m.begin && at < m.end && n <= m.end - at) return &m;
  return nullptr;
}

// Whether pages are mapped in is asked per window of this many bytes, so a scan of mapped-in
// memory pays one small read of the page table per window.
constexpr std::uintptr_t kWindow = 4u << 20;
constexpr std::uint64_t kPresent = std::uint64_t{1} << 63;

std::uintptr_t pageSize() {
  static const std::uintptr_t size = [] {
    long page = ::sysconf(_SC_PAGESIZE);
    return page > 0 ? static_cast<std::uintptr_t>(page) : std::uintptr_t{4096};
  }();
  return size;
}

}  // namespace

PieceReader::PieceReader(std::size_t capacity)
    : m_buffer(new (std::nothrow) std::uint8_t[capacity]), m_capacity(m_buffer ? capacity : 0) {
  // The page table of this process: one 64-bit entry per page, bit 63 set when the page is
  // mapped in. Without it every piece is used in place.
  m_pagemap = ::open("/proc/self/pagemap", O_RDONLY | O_CLOEXEC);
}

PieceReader::~PieceReader() {
  if (m_pagemap >= 0) ::close(m_pagemap);
}

void PieceReader::registerMapping(const void* begin, std::size_t length, int fd) {
  for (Mapping& m : g_mappings) {
    if (m.begin != 0) continue;
    m.end = reinterpret_cast<std::uintptr_t>(begin) + length;
    m.fd = fd;
    m.begin = reinterpret_cast<std::uintptr_t>(begin);
    return;
  }
}

void PieceReader::forgetMapping(const void* begin) {
  for (Mapping& m : g_mappings)
    if (m.begin == reinterpret_cast<std::uintptr_t>(begin)) m = Mapping{};
}

bool PieceReader::isMappedIn(const std::uint8_t* at, std::size_t n) {
  const Mapping* mapping = findMapping(reinterpret_cast<std::uintptr_t>(at), n);
  if (!mapping || m_pagemap < 0) return true;
  const std::uintptr_t page = pageSize();
  const std::uintptr_t first = reinterpret_cast<std::uintptr_t>(at), last = first + n - 1;
  for (std::uintptr_t window = first & ~(kWindow - 1); window <= last; window += kWindow) {
    if (window != m_windowBegin || m_windowEnd == 0) {
      // The window's pages that belong to the mapping.
      std::uintptr_t from = window < mapping->begin ? mapping->begin : window;
      std::uintptr_t to = window + kWindow > mapping->end ? mapping->end : window + kWindow;
      from &= ~(page - 1);
      std::uint64_t entries[kWindow / 4096];
      std::size_t count = (to - from + page - 1) / page;
      if (count > std::size(entries)) count = std::size(entries);
      ssize_t got = ::pread(m_pagemap, entries, count * sizeof entries[0], static_cast<off_t>(from / page * 8));
      bool all = got == static_cast<ssize_t>(count * sizeof entries[0]);
      for (std::size_t i = 0; all && i < count; ++i) all = (entries[i] & kPresent) != 0;
      m_windowBegin = window;
      m_windowEnd = window + kWindow;
      m_windowMappedIn = all;
    }
    if (!m_windowMappedIn) return false;
  }
  return true;
}

const std::uint8_t* PieceReader::piece(const std::uint8_t* at, std::size_t n) {
  if (n == 0 || n > m_capacity || isMappedIn(at, n)) return at;
  const Mapping* mapping = findMapping(reinterpret_cast<std::uintptr_t>(at), n);
  if (!mapping) return at;
  auto offset = static_cast<off_t>(reinterpret_cast<std::uintptr_t>(at) - mapping->begin);
  for (std::size_t done = 0; done < n;) {
    ssize_t got = ::pread(mapping->fd, m_buffer.get() + done, n - done, offset + static_cast<off_t>(done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return at;  // the file no longer holds these bytes: the mapping answers
    done += static_cast<std::size_t>(got);
  }
  return m_buffer.get();
}

}  // namespace nibblet
