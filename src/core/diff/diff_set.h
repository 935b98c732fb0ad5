#pragma once
// The bytes in which the open document differs from a second file, in ascending offset order,
// with a wrapping cursor for Goto next diff. Entries sit in one contiguous array, so the view
// finds the visible ones by binary search; the array grows without copying its entries, so a
// comparison that finds millions of differences stores each at the cost of writing it.

#include <cstddef>
#include <cstdint>

#include "core/document/change_log.h"
#include "core/platform/growing_buffer.h"

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
  // Room for `count` more entries at the end, for the caller to fill and then keep with
  // commit; null when the memory cannot be had, with `failure` saying which message applies.
  DiffEntry* room(std::size_t count, AppendResult& failure);
  // Keeps `added` entries written into the last room (added <= the room's count).
  void commit(std::size_t added) { m_count += added; }
  // Drops the entries from index `count` on; nextIndex goes back to 0 when it pointed past them.
  void truncate(std::uint32_t count);
  // Gives back the storage beyond count(), so a filled set costs one entry's size per entry
  // (and less than a page in all).
  void releaseSpare() { m_storage.shrinkTo(m_count * sizeof(DiffEntry)); }
  // The bytes of memory the entries take, spare room included.
  std::size_t storageBytes() const { return m_storage.capacity(); }
  std::uint32_t count() const { return static_cast<std::uint32_t>(m_count); }
  const DiffEntry& entry(std::uint32_t i) const { return entries()[i]; }
  std::uint32_t nextIndex() const { return m_nextIndex; }

  // Null when empty; otherwise the entry at nextIndex, which then advances and wraps to 0.
  const DiffEntry* next();
  // The first entry with this offset, or null.
  const DiffEntry* find(std::uint32_t offset) const;

  // Calls f(offset) for every entry whose offset lies in [first, last].
  template <typename F>
  void forEachInRange(std::uint32_t first, std::uint32_t last, F&& f) const {
    const DiffEntry* e = entries();
    for (std::size_t i = lowerBound(first); i < m_count && e[i].offset <= last; ++i) f(e[i].offset);
  }

 private:
  std::size_t lowerBound(std::uint32_t offset) const;
  DiffEntry* entries() { return static_cast<DiffEntry*>(m_storage.data()); }
  const DiffEntry* entries() const { return static_cast<const DiffEntry*>(m_storage.data()); }

  GrowingBuffer m_storage;
  std::size_t m_count = 0;
  std::uint32_t m_nextIndex = 0;
};

}  // namespace nibblet
