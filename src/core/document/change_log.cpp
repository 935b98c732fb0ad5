#include "core/document/change_log.h"

#include <algorithm>
#include <new>

namespace nibblet {

AppendResult ChangeLog::append(std::uint32_t offset, std::uint8_t oldValue, std::uint8_t newValue) {
  bool wasEmpty = m_entries.capacity() == 0;
  // The observer hears of the edit even when the log has no room for it: the byte is written
  // all the same, and a save must still carry it to the user's file.
  const ChangeEntry entry{offset, oldValue, newValue};
  if (m_observer) m_observer->changeAppended(entry);
  try {
    m_entries.push_back(entry);
  } catch (const std::bad_alloc&) {
    return wasEmpty ? AppendResult::AllocError : AppendResult::ReallocError;
  }
  return AppendResult::Stored;
}

AppendResult ChangeLog::appendAll(std::span<const ChangeEntry> entries) {
  if (entries.empty()) return AppendResult::Stored;
  bool wasEmpty = m_entries.capacity() == 0;
  if (m_observer) m_observer->changesAppended(entries);
  try {
    m_entries.insert(m_entries.end(), entries.begin(), entries.end());
  } catch (const std::bad_alloc&) {
    // One by one, so every entry there is room for is kept.
    for (const ChangeEntry& e : entries) {
      try {
        m_entries.push_back(e);
      } catch (const std::bad_alloc&) {
        return wasEmpty ? AppendResult::AllocError : AppendResult::ReallocError;
      }
    }
  }
  return AppendResult::Stored;
}

bool ChangeLog::undoLast(std::uint8_t* bytes, std::uint32_t size) {
  if (m_entries.empty() || !mayWrite()) return false;
  const ChangeEntry& e = m_entries.back();
  if (m_observer) m_observer->changeUndone(e);
  if (bytes && e.offset < size && bytes[e.offset] == e.newValue) bytes[e.offset] = e.oldValue;
  m_entries.pop_back();
  m_lowWater = std::min(m_lowWater, m_entries.size());
  return true;
}

std::uint32_t ChangeLog::undoAll(std::uint8_t* bytes, std::uint32_t size) {
  const std::uint32_t total = count();
  return total > 0 && undoTo(0, bytes, size) ? total : 0;
}

void ChangeLog::clear() {
  m_entries.clear();
  m_entries.shrink_to_fit();
  m_runs.clear();
  m_runs.shrink_to_fit();
  m_cursors.clear();
  m_indexed = 0;
  m_lowWater = 0;
}

bool ChangeLog::undoTo(std::uint32_t keep, std::uint8_t* bytes, std::uint32_t size) {
  if (keep >= m_entries.size()) return true;
  if (!mayWrite()) return false;
  constexpr std::size_t kBatch = 1 << 16;
  std::vector<ChangeEntry> batch;
  while (m_entries.size() > keep) {
    std::size_t n = std::min(kBatch, m_entries.size() - keep);
    batch.assign(m_entries.rbegin(), m_entries.rbegin() + static_cast<std::ptrdiff_t>(n));
    if (m_observer) m_observer->changesUndone(batch);
    for (const ChangeEntry& e : batch)
      if (bytes && e.offset < size && bytes[e.offset] == e.newValue) bytes[e.offset] = e.oldValue;
    m_entries.resize(m_entries.size() - n);
  }
  m_lowWater = std::min(m_lowWater, m_entries.size());
  return true;
}

void ChangeLog::refreshIndex() const {
  if (m_lowWater < m_indexed) {
    // Entries were undone: drop the runs that hold only undone entries and end the one that
    // holds both at the first undone entry. Its dead items are skipped, and squeezed out once
    // they outnumber the live ones, so the work is paid for by the undos that made them.
    while (!m_runs.empty() && m_runs.back().firstEntry >= m_lowWater) m_runs.pop_back();
    if (!m_runs.empty()) {
      Run& run = m_runs.back();
      run.liveEnd = std::min<std::uint32_t>(run.liveEnd, static_cast<std::uint32_t>(m_lowWater));
      if (run.items.size() > 2 * run.liveCount()) {
        std::uint32_t end = run.liveEnd;
        run.items.erase(std::remove_if(run.items.begin(), run.items.end(),
                                       [end](const IndexItem& item) { return item.entryIndex >= end; }),
                        run.items.end());
      }
    }
    m_indexed = m_lowWater;
  }
  if (m_indexed < m_entries.size() && !m_runs.empty()) {
    // A few new entries go into a short last run in place: a paint after each edit then costs
    // no allocation and no merge.
    Run& tail = m_runs.back();
    std::size_t fresh = m_entries.size() - m_indexed;
    if (tail.liveEnd == m_indexed && tail.items.size() == tail.liveCount() && tail.items.size() + fresh <= kShortRun &&
        reserveShortRun(tail)) {
      for (std::size_t i = m_indexed; i < m_entries.size(); ++i) {
        IndexItem item{m_entries[i].offset, static_cast<std::uint32_t>(i)};
        auto at = std::upper_bound(tail.items.begin(), tail.items.end(), item,
                                   [](const IndexItem& a, const IndexItem& b) { return a.offset < b.offset; });
        tail.items.insert(at, item);
      }
      tail.liveEnd = static_cast<std::uint32_t>(m_entries.size());
      m_indexed = m_entries.size();
    }
  }
  if (m_indexed < m_entries.size()) {
    Run run;
    run.firstEntry = static_cast<std::uint32_t>(m_indexed);
    run.liveEnd = static_cast<std::uint32_t>(m_entries.size());
    try {
      run.items.reserve(m_entries.size() - m_indexed);
      m_runs.reserve(m_runs.size() + 1 < m_runs.capacity() ? m_runs.size() + 1 : 2 * m_runs.size() + 8);
    } catch (const std::bad_alloc&) {
      return;  // the marks of the newest entries are not painted; nothing else is lost
    }
    for (std::size_t i = m_indexed; i < m_entries.size(); ++i)
      run.items.push_back({m_entries[i].offset, static_cast<std::uint32_t>(i)});
    std::sort(run.items.begin(), run.items.end(),
              [](const IndexItem& a, const IndexItem& b) { return a.offset < b.offset; });
    m_runs.push_back(std::move(run));
    m_indexed = m_entries.size();
  }
  while (m_runs.size() >= 2 && m_runs[m_runs.size() - 2].liveCount() < kRunRatio * m_runs.back().liveCount())
    if (!mergeLastRuns()) break;
  m_lowWater = m_entries.size();
}

bool ChangeLog::reserveShortRun(Run& run) {
  try {
    run.items.reserve(kShortRun);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

bool ChangeLog::mergeLastRuns() const {
  Run& a = m_runs[m_runs.size() - 2];
  const Run& b = m_runs.back();
  std::vector<IndexItem> merged;
  try {
    merged.reserve(a.liveCount() + b.liveCount());
  } catch (const std::bad_alloc&) {
    return false;  // the runs stay apart; the index is still complete
  }
  auto i = a.items.cbegin();
  auto j = b.items.cbegin();
  auto skipDead = [](auto& it, auto end, std::uint32_t liveEnd) {
    while (it != end && it->entryIndex >= liveEnd) ++it;
  };
  for (;;) {
    skipDead(i, a.items.cend(), a.liveEnd);
    skipDead(j, b.items.cend(), b.liveEnd);
    if (i == a.items.cend() || j == b.items.cend()) break;
    merged.push_back(j->offset < i->offset ? *j++ : *i++);
  }
  for (; i != a.items.cend(); ++i)
    if (i->entryIndex < a.liveEnd) merged.push_back(*i);
  for (; j != b.items.cend(); ++j)
    if (j->entryIndex < b.liveEnd) merged.push_back(*j);
  a.items.swap(merged);
  a.liveEnd = b.liveEnd;
  m_runs.pop_back();
  return true;
}

void ChangeLog::startCursors(std::uint32_t first) const {
  m_cursors.clear();
  try {
    m_cursors.reserve(m_runs.size());
  } catch (const std::bad_alloc&) {
    return;  // nothing is marked on this paint
  }
  for (const Run& run : m_runs) {
    auto it = std::lower_bound(run.items.begin(), run.items.end(), first,
                               [](const IndexItem& item, std::uint32_t offset) { return item.offset < offset; });
    if (it != run.items.end()) m_cursors.push_back({&*it, run.items.data() + run.items.size(), run.liveEnd});
  }
}

}  // namespace nibblet
