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
  m_indexed = 0;
  m_lowWater = 0;
}

void ChangeLog::refreshIndex() const {
  if (m_lowWater < m_indexed) {
    std::size_t keep = m_lowWater;
    m_index.erase(std::remove_if(m_index.begin(), m_index.end(),
                                 [keep](const IndexItem& item) { return item.entryIndex >= keep; }),
                  m_index.end());
    m_indexed = keep;
  }
  if (m_indexed < m_entries.size()) {
    std::size_t oldSize = m_index.size();
    try {
      m_index.reserve(m_index.size() + (m_entries.size() - m_indexed));
    } catch (const std::bad_alloc&) {
      return;  // the marks of the newest entries are not painted; nothing else is lost
    }
    for (std::size_t i = m_indexed; i < m_entries.size(); ++i)
      m_index.push_back({m_entries[i].offset, static_cast<std::uint32_t>(i)});
    auto byOffset = [](const IndexItem& a, const IndexItem& b) {
      return a.offset != b.offset ? a.offset < b.offset : a.entryIndex < b.entryIndex;
    };
    std::sort(m_index.begin() + static_cast<std::ptrdiff_t>(oldSize), m_index.end(), byOffset);
    std::inplace_merge(m_index.begin(), m_index.begin() + static_cast<std::ptrdiff_t>(oldSize),
                       m_index.end(), byOffset);
    m_indexed = m_entries.size();
  }
  m_lowWater = m_entries.size();
}

}  // namespace nibblet
