#pragma once
// The crash journal of a document's edits, kept in the work folder while the document is open:
// every change entry and every undo is appended to it before the byte is written, and a mark is
// added after each save. A program that dies leaves it behind (its lock then falls away), and the
// next open of the same file finds it: a temporary copy can be recovered with its changes marked,
// and edits made on the spot can still be undone.

#include <cstdint>
#include <initializer_list>
#include <utility>
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
  FileIdentity source;     // the user's file when it was opened or last saved (time included)
  std::vector<ChangeEntry> entries;  // the change log as it stood, oldest first
  std::vector<std::uint32_t> touched;  // every offset ever edited, in journal order
  bool unsaved = false;    // the copy holds changes that were not saved
  std::uint64_t validBytes = 0;  // where the last whole record ends
};

class EditJournal : public ChangeObserver {
 public:
  EditJournal() = default;
  ~EditJournal() override { release(); }
  EditJournal(const EditJournal&) = delete;
  EditJournal& operator=(const EditJournal&) = delete;

  // Starts a new journal at `path` (replacing a file of that name), locked for this process.
  // 0 or the system error code.
  int create(const std::string& path, JournalMode mode, const std::string& sourcePath,
             const std::string& copyPath, const FileIdentity& source);
  // Takes over a journal found by findLeftJournals under its own name: `fd` is its locked
  // descriptor, `validBytes` where its last whole record ends. The journal is continued.
  int adopt(int fd, const std::string& path, std::uint64_t validBytes);

  // The first error writing a record, 0 while every record was written. After an error no
  // more records are written.
  int error() const { return m_error; }

  void changeAppended(const ChangeEntry& entry) override;
  void changeUndone(const ChangeEntry& entry) override;
  // Marks that the copy and the user's file hold the same bytes; `source` is the user's file now.
  void saved(const FileIdentity& source);

  // Deletes the journal (the document closed normally).
  void discard();
  // Lets go of the journal and leaves it for recovery.
  void release();

  // Reads a journal; false when it is not one (damaged header). A torn last record is ignored.
  static bool read(int fd, EditJournalContents& out);

  struct Found {
    std::string path;
    int fd = -1;  // open and locked; the caller closes it
    EditJournalContents contents;
  };
  // The journals in `folder` that no running process holds and that belong to `sourcePath` (the
  // same name, or the same file), in the folder's order.
  static std::vector<Found> findLeftJournals(const std::string& folder, const std::string& sourcePath);

 private:
  void writeRecord(std::uint32_t offset, std::uint8_t oldValue, std::uint8_t newValue, char kind);
  // Records of a value and a kind, written in one go.
  void writeRecords(std::initializer_list<std::pair<std::uint32_t, char>> records);

  int m_fd = -1;
  int m_error = 0;
  std::string m_path;
};

}  // namespace nibblet
