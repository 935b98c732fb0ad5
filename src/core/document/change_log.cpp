#include "core/document/change_log.h"

#include <algorithm>
#include <new>

namespace nibblet {

AppendResult ChangeLog::append(std::uint32_t offset, std::uint8_t oldValue, std::uint8_t newValue) {
  bool wasEmpty = m_entries.capacity() == 0;
  try {
    m_entries.push_back({offset, oldValue, newValue});
  } catch (const std::bad_alloc&) {
    return wasEmpty ? AppendResult::AllocError : AppendResult::ReallocError;
  }
  if (m_observer) m_observer->changeAppended(m_entries.back());
  return AppendResult::Stored;
}

bool ChangeLog::undoLast(std::uint8_t* bytes, std::uint32_t size) {
  if (m_entries.empty()) return false;
  const ChangeEntry& e = m_entries.back();
  if (m_observer) m_observer->changeUndone(e);
  if (bytes && e.offset < size && bytes[e.offset] == e.newValue) bytes[e.offset] = e.oldValue;
  m_entries.pop_back();
  m_lowWater = std::min(m_lowWater, m_entries.size());
  return true;
}

void ChangeLog::clear() {
  m_entries.clear();
  m_entries.shrink_to_fit();
  m_index.clear();
  m_index.shrink_to_fit();
  m_recent.clear();
  m_recent.shrink_to_fit();
  m_merged = 0;
  m_indexed = 0;
  m_lowWater = 0;
}

void ChangeLog::refreshIndex() const {
  auto byOffset = [](const IndexItem& a, const IndexItem& b) {
    return a.offset != b.offset ? a.offset < b.offset : a.entryIndex < b.entryIndex;
  };
  if (m_lowWater < m_indexed) {
    std::size_t keep = m_lowWater;
    auto removed = [keep](const IndexItem& item) { return item.entryIndex >= keep; };
    m_recent.erase(std::remove_if(m_recent.begin(), m_recent.end(), removed), m_recent.end());
    // Undoing entries of the newest part, the usual case, leaves the bulk alone.
    if (keep < m_merged) {
      m_index.erase(std::remove_if(m_index.begin(), m_index.end(), removed), m_index.end());
      m_merged = keep;
    }
    m_indexed = keep;
  }
  if (m_indexed < m_entries.size()) {
    std::size_t oldSize = m_recent.size();
    try {
      m_recent.reserve(m_recent.size() + (m_entries.size() - m_indexed));
    } catch (const std::bad_alloc&) {
      return;  // the marks of the newest entries are not painted; nothing else is lost
    }
    for (std::size_t i = m_indexed; i < m_entries.size(); ++i)
      m_recent.push_back({m_entries[i].offset, static_cast<std::uint32_t>(i)});
    std::sort(m_recent.begin() + static_cast<std::ptrdiff_t>(oldSize), m_recent.end(), byOffset);
    std::inplace_merge(m_recent.begin(), m_recent.begin() + static_cast<std::ptrdiff_t>(oldSize),
                       m_recent.end(), byOffset);
    m_indexed = m_entries.size();
  }
  if (m_recent.size() >= kRecentLimit) {
    // Merging costs a pass over the bulk, once per few thousand edits.
    std::size_t oldSize = m_index.size();
    try {
      m_index.reserve(m_index.size() + m_recent.size());
    } catch (const std::bad_alloc&) {
      m_lowWater = m_entries.size();
      return;  // the newest part stays apart; it is still walked
    }
    m_index.insert(m_index.end(), m_recent.begin(), m_recent.end());
    std::inplace_merge(m_index.begin(), m_index.begin() + static_cast<std::ptrdiff_t>(oldSize),
                       m_index.end(), byOffset);
    m_recent.clear();
    m_merged = m_indexed;
  }
  m_lowWater = m_entries.size();
}

}  // namespace nibblet
