#pragma once
// The edits made since the document was opened: one ChangeEntry per written byte, oldest first.
// The view marks changed bytes from it, Undo walks it backwards, Close asks about it and the
// change export writes it out. Entries sit in one contiguous array; an index sorted by offset
// lets the view find the entries of the visible rows without walking the whole log. The index
// is kept in two parts, the bulk and the newest few thousand entries, so an edit followed by a
// paint sorts only the short part, however long the log has grown.

#include <cstdint>
#include <vector>

namespace nibblet {

struct ChangeEntry {
  std::uint32_t offset;
  std::uint8_t oldValue;
  std::uint8_t newValue;
};

// Told of every entry as it is appended and of every undo, before the byte is written; the
// document journals them so the edits can be recovered after a crash.
class ChangeObserver {
 public:
  virtual ~ChangeObserver() = default;
  virtual void changeAppended(const ChangeEntry& entry) = 0;
  virtual void changeUndone(const ChangeEntry& entry) = 0;
};

// What an append did; the failures carry the message the program shows for them.
enum class AppendResult { Stored, AllocError, ReallocError };

class ChangeLog {
 public:
  ChangeLog() = default;
  ChangeLog(const ChangeLog&) = delete;
  ChangeLog& operator=(const ChangeLog&) = delete;

  // Adds an entry at the end. When memory cannot be had the entry is not stored.
  AppendResult append(std::uint32_t offset, std::uint8_t oldValue, std::uint8_t newValue);
  std::uint32_t count() const { return static_cast<std::uint32_t>(m_entries.size()); }
  bool isEmpty() const { return m_entries.empty(); }
  // The i-th entry, 0 = oldest; i must be below count().
  const ChangeEntry& entry(std::uint32_t i) const { return m_entries[i]; }

  // False when the log is empty. Otherwise removes the newest entry and writes its oldValue
  // back when bytes[offset] still holds its newValue (a byte changed behind the log's back is
  // left alone). `size` guards against an entry outside the mapped bytes.
  bool undoLast(std::uint8_t* bytes, std::uint32_t size);
  void clear();

  // The observer told of appends and undos; null for none.
  void setObserver(ChangeObserver* observer) { m_observer = observer; }

  // Calls f(offset) for every entry whose offset lies in [first, last], in offset order (an
  // offset changed several times is reported several times).
  template <typename F>
  void forEachInRange(std::uint32_t first, std::uint32_t last, F&& f) const;

 private:
  struct IndexItem {
    std::uint32_t offset;
    std::uint32_t entryIndex;
  };
  void refreshIndex() const;
  static std::size_t lowerBound(const std::vector<IndexItem>& index, std::uint32_t first);

  // The newest part is merged into the bulk once it holds this many entries.
  static constexpr std::size_t kRecentLimit = 4096;

  ChangeObserver* m_observer = nullptr;
  std::vector<ChangeEntry> m_entries;
  // Both sorted by offset: m_index holds the entries [0, m_merged), m_recent the entries
  // [m_merged, m_indexed). Entries removed since the last refresh are purged lazily:
  // m_lowWater is the smallest count seen since then.
  mutable std::vector<IndexItem> m_index;
  mutable std::vector<IndexItem> m_recent;
  mutable std::size_t m_merged = 0;
  mutable std::size_t m_indexed = 0;
  mutable std::size_t m_lowWater = 0;
};

inline std::size_t ChangeLog::lowerBound(const std::vector<IndexItem>& index, std::uint32_t first) {
  std::size_t lo = 0, hi = index.size();
  while (lo < hi) {
    std::size_t mid = lo + (hi - lo) / 2;
    if (index[mid].offset < first) lo = mid + 1; else hi = mid;
  }
  return lo;
}

template <typename F>
void ChangeLog::forEachInRange(std::uint32_t first, std::uint32_t last, F&& f) const {
  if (m_entries.empty() || last < first) return;
  refreshIndex();
  // Both parts walked side by side, so the offsets come out in order.
  std::size_t i = lowerBound(m_index, first), j = lowerBound(m_recent, first);
  for (;;) {
    bool bulk = i < m_index.size() && m_index[i].offset <= last;
    bool recent = j < m_recent.size() && m_recent[j].offset <= last;
    if (bulk && (!recent || m_index[i].offset <= m_recent[j].offset)) {
      f(m_index[i++].offset);
    } else if (recent) {
      f(m_recent[j++].offset);
    } else {
      break;
    }
  }
}

}  // namespace nibblet
