#include "core/diff/diff_set.h"

#include <new>

namespace nibblet {

void DiffSet::clear() {
  m_entries.clear();
  m_entries.shrink_to_fit();
  m_nextIndex = 0;
}

AppendResult DiffSet::append(const DiffEntry& entry) {
  bool wasEmpty = m_entries.capacity() == 0;
  try {
    m_entries.push_back(entry);
  } catch (const std::bad_alloc&) {
    return wasEmpty ? AppendResult::AllocError : AppendResult::ReallocError;
  }
  return AppendResult::Stored;
}

AppendResult DiffSet::append(const DiffEntry* entries, std::size_t count) {
  bool wasEmpty = m_entries.capacity() == 0;
  try {
    m_entries.insert(m_entries.end(), entries, entries + count);
  } catch (const std::bad_alloc&) {
    return wasEmpty ? AppendResult::AllocError : AppendResult::ReallocError;
  }
  return AppendResult::Stored;
}

const DiffEntry* DiffSet::next() {
  if (m_entries.empty()) return nullptr;
  if (m_nextIndex >= m_entries.size()) m_nextIndex = 0;
  const DiffEntry* e = &m_entries[m_nextIndex];
  if (++m_nextIndex >= m_entries.size()) m_nextIndex = 0;
  return e;
}

std::size_t DiffSet::lowerBound(std::uint32_t offset) const {
  std::size_t lo = 0, hi = m_entries.size();
  while (lo < hi) {
    std::size_t mid = lo + (hi - lo) / 2;
    if (m_entries[mid].offset < offset) lo = mid + 1; else hi = mid;
  }
  return lo;
}

const DiffEntry* DiffSet::find(std::uint32_t offset) const {
  // Entries are in ascending order, so the first match is the lower bound.
  std::size_t i = lowerBound(offset);
  return i < m_entries.size() && m_entries[i].offset == offset ? &m_entries[i] : nullptr;
}

}  // namespace nibblet
