#pragma once
// The journal of a save in progress, kept in the work folder from before the first byte of the
// user's file is written until that file is synced. Two kinds: Ranges holds the old and the new
// bytes of every changed range; Whole names a file beside the journal that keeps the user's
// file's old content, and the temporary copy that holds the new one. Journals are written and
// read in pieces, so neither needs memory in proportion to the change, and a file that is not a
// whole journal of ours (a bad checksum, a size no journal can have) is refused.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/document/target_file.h"
#include "core/platform/posix_file.h"

namespace nibblet {

enum class SaveKind : std::uint32_t { Ranges = 1, Whole = 2 };

// What a save journal says.
struct SaveJournalHeader {
  SaveKind kind = SaveKind::Ranges;
  std::string target;            // the user's file
  FileIdentity targetBefore;     // device, inode, size and birth of the user's file as found
  std::uint32_t restoreMode = kNoModeChange;  // the mode a read-only file gets back
  std::string crashJournal;      // the document's crash journal, marked saved once done
  // Ranges: how many, and their total length.
  std::uint64_t rangeCount = 0;
  std::uint64_t rangeBytes = 0;
  // Whole: the old content kept beside the journal, and the copy with the new content
  // (device, inode and size of each).
  std::string oldContent;
  FileIdentity oldIdentity;
  std::string copy;
  FileIdentity copyIdentity;
  // Where the ranges start in the journal file; set by the reader and the writer.
  std::uint64_t dataStart = 0;
};

// The name of a new save journal in `workFolder`, and the name of the old content that goes
// with a journal of the Whole kind.
std::string newSaveJournalName(const std::string& workFolder);
std::string oldContentName(const std::string& journalPath);
// True for the names newSaveJournalName gives.
bool isSaveJournalName(const char* name);

// A journal being written: into a locked helper beside its name, buffered and checksummed,
// then synced and renamed into place by commit.
class SaveJournalWriter {
 public:
  SaveJournalWriter() = default;
  ~SaveJournalWriter();
  SaveJournalWriter(const SaveJournalWriter&) = delete;
  SaveJournalWriter& operator=(const SaveJournalWriter&) = delete;

  // Starts the journal `path` with `header`; 0 or the system error code.
  int begin(const std::string& path, SaveJournalHeader& header);
  void append(const void* data, std::size_t size);
  void range(std::uint32_t offset, std::uint32_t length);
  // Ends the journal: checksum, sync, rename into place. 0 or the first error of any step.
  int commit();
  // Removes the journal once the save no longer needs it (and, for the Whole kind, its old
  // content); 0 or the error of syncing the folder.
  int drop(SaveKind kind);
  // Lets go of a committed journal, which stays for the next start.
  void keep();
  int fd() const { return m_fd; }
  const std::string& path() const { return m_path; }

 private:
  void flush();
  int m_fd = -1;
  int m_error = 0;
  bool m_committed = false;
  std::string m_path;
  std::string m_temp;
  std::uint32_t m_check = 0;
  std::vector<std::uint8_t> m_buffer;
};

// Reads the header of the journal `fd` and checks every byte of it against its checksum and
// its layout, in pieces. False when it is not a whole journal of ours.
bool readSaveJournal(int fd, SaveJournalHeader& out);

// Calls f(offset, oldBytes, newBytes, length) for the ranges of a Ranges journal, in pieces of
// at most 256 KiB, in file order. Returns 0, f's first nonzero result, or a read error.
using RangePiece = std::function<int(std::uint32_t offset, const std::uint8_t* oldBytes,
                                    const std::uint8_t* newBytes, std::uint32_t length)>;
int forEachRangePiece(int journal, const SaveJournalHeader& header, const RangePiece& f);

// True when every journaled byte of `target` holds its old or its new value: what a save that
// was cut short leaves, and nothing else.
bool holdsOldOrNew(int journal, const SaveJournalHeader& header, int target);
// Writes the journaled new bytes (forward) or old bytes (back) into `target`.
enum class Direction { Forward, Back };
int writeRanges(int journal, const SaveJournalHeader& header, int target, Direction direction);

// Reads a file through a window of 1 MiB, so bytes asked for at increasing positions cost one
// read per window.
class WindowReader {
 public:
  static constexpr std::size_t kWindow = 1 << 20;
  WindowReader(int fd, std::uint64_t end) : m_fd(fd), m_end(end) {}
  // The `n` bytes at `position` (n at most kWindow / 2), or null when they lie past the end or
  // cannot be read.
  const std::uint8_t* at(std::uint64_t position, std::size_t n);

 private:
  int m_fd;
  std::uint64_t m_end;
  std::uint64_t m_start = 0;
  std::size_t m_length = 0;
  std::vector<std::uint8_t> m_buffer;
};

}  // namespace nibblet
