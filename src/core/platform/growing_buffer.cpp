#include "core/platform/growing_buffer.h"

#include <sys/mman.h>

#include <cstdlib>
#include <cstring>

namespace nibblet {
namespace {

// From this size on the storage is pages of its own.
constexpr std::size_t kMappedFrom = 256 * 1024;
constexpr std::size_t kPage = 4096;

// Large storage asks for huge pages: each first touch of a page costs a fault, on a virtual
// machine an expensive one, and a huge page takes one fault where small ones take 512.
constexpr std::size_t kHugeFrom = 2u << 20;

std::size_t roundToPages(std::size_t bytes) { return (bytes + kPage - 1) & ~(kPage - 1); }

void* mapPages(std::size_t bytes) {
  void* p = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) return nullptr;
  if (bytes >= kHugeFrom) ::madvise(p, bytes, MADV_HUGEPAGE);
  return p;
}

}  // namespace

bool GrowingBuffer::reserve(std::size_t bytes) {
  if (bytes <= m_capacity) return true;
  std::size_t capacity = m_capacity > (static_cast<std::size_t>(-1) >> 2) ? bytes : m_capacity * 2;
  if (capacity < bytes) capacity = bytes;
  return moveTo(capacity, m_capacity);
}

void GrowingBuffer::shrinkTo(std::size_t bytes) {
  if (bytes == 0) {
    release();
    return;
  }
  if (bytes >= m_capacity) return;
  if (m_mapped && bytes >= kMappedFrom) {
    std::size_t keep = roundToPages(bytes);
    if (keep < m_capacity && ::munmap(static_cast<char*>(m_data) + keep, m_capacity - keep) == 0) m_capacity = keep;
    return;
  }
  moveTo(bytes, bytes);
}

void GrowingBuffer::release() {
  if (m_mapped) {
    ::munmap(m_data, m_capacity);
  } else {
    std::free(m_data);
  }
  m_data = nullptr;
  m_capacity = 0;
  m_mapped = false;
}

bool GrowingBuffer::moveTo(std::size_t capacity, std::size_t keep) {
  if (capacity >= kMappedFrom) {
    capacity = roundToPages(capacity);
    if (capacity == 0) return false;  // the size did not fit
    void* p = nullptr;
    if (m_mapped) {
      // The pages are moved, not copied: what was written stays where the system put it.
      p = ::mremap(m_data, m_capacity, capacity, MREMAP_MAYMOVE);
      if (p == MAP_FAILED) return false;
      if (capacity >= kHugeFrom) ::madvise(p, capacity, MADV_HUGEPAGE);
    } else {
      p = mapPages(capacity);
      if (!p) return false;
      if (keep > 0) std::memcpy(p, m_data, keep);
      std::free(m_data);
    }
    m_data = p;
    m_capacity = capacity;
    m_mapped = true;
    return true;
  }
  void* p = std::malloc(capacity);
  if (!p) return false;
  if (keep > 0) std::memcpy(p, m_data, keep);
  release();
  m_data = p;
  m_capacity = capacity;
  return true;
}

}  // namespace nibblet
