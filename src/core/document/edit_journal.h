#pragma once
// The crash journal of a document's edits, kept in the work folder while the document is open:
// every change entry and every undo is appended to it before the byte is written, and a mark is
// added after each save. A program that dies leaves it behind (its lock then falls away), and the
// next open of the same file finds it (see CrashRecovery): a temporary copy can be recovered with
// its changes marked, and edits made on the spot can still be undone.
//
// The records of one command (an import, a paste) come as one batch and are written in one
// piece, before any of its bytes: the journal only has to outlive the process, not a power cut,
// so it is never synced.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/document/change_log.h"
#include "core/platform/posix_file.h"

namespace nibblet {

enum class JournalMode : std::uint32_t { OnTheSpot = 0, TemporaryCopy = 1 };

// What a journal left behind says.
struct EditJournalContents {
  JournalMode mode = JournalMode::OnTheSpot;
  std::string sourcePath;  // the user's file
  std::string copyPath;    // the temporary copy; empty on the spot
  FileIdentity source;     // the user's file when it was opened or last saved (times included)
  std::vector<ChangeEntry> entries;  // the change log as it stood, oldest first
  std::vector<ChangeEntry> records;  // every edit ever recorded, undone ones too, in order
  bool unsaved = false;    // the copy holds changes that were not saved
  std::uint64_t validBytes = 0;  // where the last whole record ends
};

class EditJournal : public ChangeObserver {
 public:
  // No journal of ours grows past this: a record that would is not written (error EFBIG), and
  // a file named like a journal that is larger is not read.
  static constexpr std::uint64_t kMaxBytes = std::uint64_t{1} << 30;

  EditJournal() = default;
  ~EditJournal() override { release(); }
  EditJournal(const EditJournal&) = delete;
  EditJournal& operator=(const EditJournal&) = delete;

  // Starts a new journal at `path` (replacing a file of that name), locked for this process.
  // 0 or the system error code.
  int create(const std::string& path, JournalMode mode, const std::string& sourcePath,
             const std::string& copyPath, const FileIdentity& source);
  // Takes over a journal left by a dead run: `fd` is its locked descriptor, `validBytes` where
  // its last whole record ends. The journal is continued.
  int adopt(int fd, const std::string& path, std::uint64_t validBytes);

  // The first error writing a record, 0 while every record was written. After an error no
  // more records are written.
  int error() const { return m_error; }
  bool isOpen() const { return m_fd >= 0; }
  const std::string& path() const { return m_path; }

  void changeAppended(const ChangeEntry& entry) override;
  void changesAppended(std::span<const ChangeEntry> entries) override;
  void changeUndone(const ChangeEntry& entry) override;
  void changesUndone(std::span<const ChangeEntry> newestFirst) override;
  // Marks that the copy and the user's file hold the same bytes; `source` is the user's file now.
  void saved(const FileIdentity& source);

  // Deletes the journal (the document closed normally).
  void discard();
  // Deletes a journal that never held an edit (an open that failed or was stopped) without
  // waiting for the disk: should a crash bring it back, it names no copy and goes as a leftover.
  void discardUnused();
  // Lets go of the journal and leaves it for recovery.
  void release();

  // Reads a journal in pieces; false when it is not a whole journal of ours (a damaged header,
  // a size no journal has). A torn last record is ignored. `headerOnly` stops after the header.
  static bool read(int fd, EditJournalContents& out, bool headerOnly = false);
  // Adds a save mark to the journal at `path` of a run that died, when no process holds it:
  // the start that finished that run's save says so. 0 or the system error code.
  static int markSaved(const std::string& path, const FileIdentity& source);

 private:
  void write(const std::uint8_t* records, std::size_t size);
  void writeRecords(std::span<const ChangeEntry> entries, char kind);

  int m_fd = -1;
  int m_error = 0;
  std::uint64_t m_size = 0;
  std::string m_path;
};

}  // namespace nibblet
