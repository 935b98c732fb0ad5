#include "core/diff/diff_set.h"

#include <cstring>

namespace nibblet {

void DiffSet::clear() {
  m_storage.release();
  m_count = 0;
  m_nextIndex = 0;
}

DiffEntry* DiffSet::room(std::size_t count, AppendResult& failure) {
  bool wasEmpty = m_storage.capacity() == 0;
  if (count > (static_cast<std::size_t>(-1) / sizeof(DiffEntry)) - m_count ||
      !m_storage.reserve((m_count + count) * sizeof(DiffEntry))) {
    failure = wasEmpty ? AppendResult::AllocError : AppendResult::ReallocError;
    return nullptr;
  }
  return entries() + m_count;
}

AppendResult DiffSet::append(const DiffEntry& entry) { return append(&entry, 1); }

AppendResult DiffSet::append(const DiffEntry* added, std::size_t count) {
  AppendResult failure = AppendResult::Stored;
  DiffEntry* at = room(count, failure);
  if (!at) return failure;
  if (count > 0) std::memcpy(at, added, count * sizeof(DiffEntry));
  commit(count);
  return AppendResult::Stored;
}

void DiffSet::truncate(std::uint32_t count) {
  if (count >= m_count) return;
  m_count = count;
  if (m_nextIndex >= m_count) m_nextIndex = 0;
}

const DiffEntry* DiffSet::next() {
  if (m_count == 0) return nullptr;
  if (m_nextIndex >= m_count) m_nextIndex = 0;
  const DiffEntry* e = entries() + m_nextIndex;
  if (++m_nextIndex >= m_count) m_nextIndex = 0;
  return e;
}

std::size_t DiffSet::lowerBound(std::uint32_t offset) const {
  const DiffEntry* e = entries();
  std::size_t lo = 0, hi = m_count;
  while (lo < hi) {
    std::size_t mid = lo + (hi - lo) / 2;
    if (e[mid].offset < offset) lo = mid + 1; else hi = mid;
  }
  return lo;
}

const DiffEntry* DiffSet::find(std::uint32_t offset) const {
  // Entries are in ascending order, so the first match is the lower bound.
  std::size_t i = lowerBound(offset);
  return i < m_count && entries()[i].offset == offset ? entries() + i : nullptr;
}

}  // namespace nibblet
