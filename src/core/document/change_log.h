#pragma once
// The edits made since the document was opened: one ChangeEntry per written byte, oldest first.
// The view marks changed bytes from it, Undo walks it backwards, Close asks about it and the
// change export writes it out. Entries sit in one contiguous array; an offset index of a few
// sorted runs lets the view find the entries of the visible rows without walking the whole log,
// and keeps up with new entries at a small cost per entry, however long the log.

#include <cstdint>
#include <span>
#include <vector>

namespace nibblet {

struct ChangeEntry {
  std::uint32_t offset;
  std::uint8_t oldValue;
  std::uint8_t newValue;
};

// Told of every entry as it is appended (also one the log has no room for) and of every undo,
// before the byte is written; the document journals them so the edits can be recovered after a
// crash, and remembers their offsets for the next save.
class ChangeObserver {
 public:
  virtual ~ChangeObserver() = default;
  virtual void changeAppended(const ChangeEntry& entry) = 0;
  // The entries of one command, appended together before any of their bytes is written.
  virtual void changesAppended(std::span<const ChangeEntry> entries) {
    for (const ChangeEntry& e : entries) changeAppended(e);
  }
  virtual void changeUndone(const ChangeEntry& entry) = 0;
  // Entries undone together (newest first), before any of their bytes is written back.
  virtual void changesUndone(std::span<const ChangeEntry> newestFirst) {
    for (const ChangeEntry& e : newestFirst) changeUndone(e);
  }
  // False when no byte may be written now (the document's file is no longer the one at its
  // path): the writers then write nothing, and the document asks the user when idle.
  virtual bool mayWrite() { return true; }
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
  // Adds the entries of one command; the observer hears of them together. The result is Stored
  // or the first failure; entries that found no room are not stored.
  AppendResult appendAll(std::span<const ChangeEntry> entries);
  // Whether a writer may write bytes now (see ChangeObserver::mayWrite); asked once per command.
  bool mayWrite() const { return !m_observer || m_observer->mayWrite(); }
  // Takes back the newest entries until `keep` are left (what one command wrote), newest first,
  // each as undoLast does; the observer hears of them in large batches. False, and nothing taken
  // back, when no byte may be written now; true when nothing was to be taken back.
  bool undoTo(std::uint32_t keep, std::uint8_t* bytes, std::uint32_t size);
  std::uint32_t count() const { return static_cast<std::uint32_t>(m_entries.size()); }
  bool isEmpty() const { return m_entries.empty(); }
  // The i-th entry, 0 = oldest; i must be below count().
  const ChangeEntry& entry(std::uint32_t i) const { return m_entries[i]; }

  // False when the log is empty or no byte may be written now. Otherwise removes the newest
  // entry and writes its oldValue back when bytes[offset] still holds its newValue (a byte
  // changed behind the log's back is left alone). `size` guards against an entry outside the
  // mapped bytes.
  bool undoLast(std::uint8_t* bytes, std::uint32_t size);
  // Undoes every entry, newest first, as undoLast does one by one; the observer hears of them
  // in large batches. Returns how many were undone (0 when no byte may be written now).
  std::uint32_t undoAll(std::uint8_t* bytes, std::uint32_t size);
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
  // The index of consecutive entries from firstEntry on, sorted by offset. Items of entries at
  // or past liveEnd were undone and are skipped.
  struct Run {
    std::vector<IndexItem> items;
    std::uint32_t firstEntry;
    std::uint32_t liveEnd;
    std::size_t liveCount() const { return liveEnd - firstEntry; }
  };
  struct Cursor {
    const IndexItem* at;
    const IndexItem* end;
    std::uint32_t liveEnd;
  };
  // New entries are sorted into the last run in place while it stays this short.
  static constexpr std::size_t kShortRun = 128;
  // Each run is at least this many times as long as the next: few runs for a paint to look in.
  static constexpr std::size_t kRunRatio = 8;
  void refreshIndex() const;
  static bool reserveShortRun(Run& run);
  bool mergeLastRuns() const;
  // One cursor per run, at its first item with an offset >= first.
  void startCursors(std::uint32_t first) const;

  ChangeObserver* m_observer = nullptr;
  std::vector<ChangeEntry> m_entries;
  // The offset index: runs over consecutive ranges of entries, oldest first, each at most an eighth
  // as long as the one before it (so there are few of them). New entries form a new run, which
  // is merged into the ones before it while that rule is broken, so each entry is moved
  // O(log n) times over the life of the log. Undone entries are dropped lazily: m_lowWater is
  // the smallest count seen since the last refresh.
  mutable std::vector<Run> m_runs;
  mutable std::size_t m_indexed = 0;
  mutable std::size_t m_lowWater = 0;
  mutable std::vector<Cursor> m_cursors;
};

template <typename F>
void ChangeLog::forEachInRange(std::uint32_t first, std::uint32_t last, F&& f) const {
  if (m_entries.empty() || last < first) return;
  refreshIndex();
  startCursors(first);
  // Merges the runs' items of [first, last]; there are few runs and few items on a screen.
  while (!m_cursors.empty()) {
    std::size_t best = 0;
    for (std::size_t i = 1; i < m_cursors.size(); ++i)
      if (m_cursors[i].at->offset < m_cursors[best].at->offset) best = i;
    Cursor& c = m_cursors[best];
    if (c.at->offset > last) {
      m_cursors.clear();  // the smallest offset left is past the range: so is every other
      break;
    }
    if (c.at->entryIndex < c.liveEnd) f(c.at->offset);
    if (++c.at == c.end) m_cursors.erase(m_cursors.begin() + static_cast<std::ptrdiff_t>(best));
  }
}

}  // namespace nibblet
