#pragma once
// The bytes in which the open document differs from a second file, in ascending offset order,
// with a wrapping cursor for Goto next diff. Entries sit in one contiguous array, so the view
// finds the visible ones by binary search.

#include <cstdint>
#include <vector>

#include "core/document/change_log.h"

namespace nibblet {

struct DiffEntry {
  std::uint32_t offset;
  std::uint8_t docValue;
  std::uint8_t otherValue;
};

class DiffSet {
 public:
  DiffSet() = default;
  DiffSet(const DiffSet&) = delete;
  DiffSet& operator=(const DiffSet&) = delete;

  // Frees every entry; count and nextIndex become 0.
  void clear();
  // Adds an entry at the end; the comparison appends in ascending offset order.
  AppendResult append(const DiffEntry& entry);
  // Adds `count` entries at the end at once, all or none.
  AppendResult append(const DiffEntry* entries, std::size_t count);
  // Gives back the storage beyond count(), so a filled set costs one entry's size per entry.
  void releaseSpare() { m_entries.shrink_to_fit(); }
  std::uint32_t count() const { return static_cast<std::uint32_t>(m_entries.size()); }
  const DiffEntry& entry(std::uint32_t i) const { return m_entries[i]; }
  std::uint32_t nextIndex() const { return m_nextIndex; }

  // Null when empty; otherwise the entry at nextIndex, which then advances and wraps to 0.
  const DiffEntry* next();
  // The first entry with this offset, or null.
  const DiffEntry* find(std::uint32_t offset) const;

  // Calls f(offset) for every entry whose offset lies in [first, last].
  template <typename F>
  void forEachInRange(std::uint32_t first, std::uint32_t last, F&& f) const {
    for (std::size_t i = lowerBound(first); i < m_entries.size() && m_entries[i].offset <= last; ++i)
      f(m_entries[i].offset);
  }

 private:
  std::size_t lowerBound(std::uint32_t offset) const;

  std::vector<DiffEntry> m_entries;
  std::uint32_t m_nextIndex = 0;
};

}  // namespace nibblet
