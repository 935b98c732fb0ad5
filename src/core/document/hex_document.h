#pragma once
// The one file being edited: its mapping, the two open modes (on the spot, or a temporary
// copy saved back on demand), backups, the change log with undo, save and close with their
// questions. The window it belongs to is told of every change it must show.

#include <cstdint>
#include <string>

#include "core/diff/diff_set.h"
#include "core/document/change_log.h"
#include "core/document/crash_recovery.h"
#include "core/document/edit_journal.h"
#include "core/i18n/string_module.h"
#include "core/i18n/text_format.h"
#include "core/platform/mapped_file.h"
#include "core/platform/message_box.h"
#include "core/platform/registry_key.h"
#include "core/platform/wait_cursor.h"
#include "core/settings/recent_files.h"
#include "core/settings/settings.h"

namespace nibblet {

// What the document asks of its window.
class DocumentWindow {
 public:
  virtual ~DocumentWindow() = default;
  virtual void setTitle(const std::u16string& title) = 0;
  // A document is open: create and show the view, enable the document commands, and the Save
  // command when `temporaryCopy`.
  virtual void documentOpened(bool temporaryCopy) = 0;
  // The document is about to be unmapped: hide and destroy the view, hide the toolbar.
  virtual void documentClosing() = 0;
  // The document is closed: grey Save.
  virtual void documentClosed() = 0;
  // Bytes or change marks changed outside the view (undo, recovered edits): rebuild its text.
  virtual void bytesRestored() = 0;
};

// A window that shows nothing, for a document driven without one (a benchmark, a child process).
class NoDocumentWindow : public DocumentWindow {
 public:
  void setTitle(const std::u16string&) override {}
  void documentOpened(bool) override {}
  void documentClosing() override {}
  void documentClosed() override {}
  void bytesRestored() override {}
};

struct DocumentServices {
  Settings& settings;
  RegistryKey& key;
  RecentFiles& recentFiles;
  const Texts& texts;
  MessageBox& messages;
  WaitCursor& waitCursor;
  std::uint32_t instanceValue;  // names the temporary copies of this running program
};

class HexDocument : private ChangeObserver {
 public:
  HexDocument(DocumentServices services, DocumentWindow& window);
  // A document still open is let go as after a crash: unsaved work stays recoverable.
  ~HexDocument() override;
  HexDocument(const HexDocument&) = delete;
  HexDocument& operator=(const HexDocument&) = delete;

  // The file to open next (the Open command, recent files and the command line set it).
  void setPath(const std::u16string& path) { m_path = path; }

  // Opens the file named by `path` in the mode of the `openMode` setting, first offering what a
  // crashed run left of it. A missing file, a folder or an empty file leaves no document and
  // shows nothing; other failures show the open error. Returns true when a document is open.
  bool openDocument();

  // Asks about unsaved or on-the-spot changes, then closes and resets every path. Returns false
  // when the document stays open: a save the user asked for failed or was not done.
  bool close();
  // Writes the temporary copy into the user's file; `ask` poses the question first. Returns
  // true when the file now holds the copy's bytes.
  bool save(bool ask);
  // The Undo and Undo All commands.
  void undo();
  void undoAll();

  // When another program shortened the mapped file (or a page could not be written), tells the
  // user and closes the document without questions; a temporary copy stays recoverable.
  // Returns true when it closed the document.
  bool checkMapping();
  // When the crash journal could not be made or written (a full work folder), tells the user
  // once that edits from now on cannot be recovered after a crash. Returns true when it told.
  bool checkJournal();
  bool hasUnreportedJournalError() const { return journalError() != 0 && !m_journalErrorShown; }
  // On the spot: when the path no longer names the mapped file (another program replaced,
  // moved or deleted it), asks whether to write the edits into the file now at the path or to
  // keep the edited file as a copy beside it, and does it. Until then no byte is written.
  // Returns true when the document was closed (the copy was kept).
  // `askAgain` false asks only when it has not asked since the path changed (the idle check).
  bool checkReplaced(bool askAgain = true);
  // Whether the idle check has something to do; looks at the path at most every 250 ms.
  bool needsIdleCheck();
  // Lets go of the document without questions and without touching the window, as when the
  // program is told to end: a copy with unsaved changes and the journal of on-the-spot edits
  // stay for the next open, everything else of the document is removed. On the spot the file
  // is synced first; returns 0 or the error of that sync, for the caller to report.
  int abandon();

  bool isOpen() const { return m_file.isOpen(); }
  // True once the mapping faulted; checkMapping then closes the document.
  bool isDamaged() const { return m_file.isOpen() && m_file.isDamaged(); }
  bool isTemporaryCopy() const { return !m_sourcePath.empty(); }
  // Shown only: the file is open on the spot in another running program, and every edit here
  // is refused with a word.
  bool isReadOnly() const { return m_readOnly; }
  const std::u16string& path() const { return m_path; }
  const std::u16string& sourcePath() const { return m_sourcePath; }
  std::u16string& comparePath() { return m_comparePath; }
  // The backup copy made when the document was opened; empty when none was made.
  const std::u16string& backupPath() const { return m_backupPath; }
  std::uint8_t* bytes() { return m_file.bytes(); }
  std::uint32_t size() const { return m_file.size(); }
  ChangeLog& changeLog() { return m_changeLog; }
  DiffSet& diffSet() { return m_diffSet; }

  // The name of the temporary copy of `sourcePath` in `workPath`.
  static std::u16string temporaryCopyName(const std::u16string& workPath, std::uint32_t instanceValue,
                                          const std::u16string& sourcePath);
  // The crash journal that goes with a copy name (or, on the spot, with the same stem).
  static std::u16string journalName(const std::u16string& copyName);

 private:
  bool openOnTheSpot(CrashRecovery::Offer* recovered);
  bool openTemporaryCopy();
  bool openRecoveredCopy(CrashRecovery::Offer& found);
  bool openReadOnly();
  // The name of a new crash journal on the spot; never one that exists.
  std::string freeJournalName() const;
  // Leaves the title and the path as they were before an open that did not happen.
  void forgetPath();
  int journalError() const { return m_journalCreateError != 0 ? m_journalCreateError : m_journal.error(); }
  // On the spot: true when the path no longer names the mapped file.
  bool isPathReplaced() const;
  // Puts the document on the file now at its path, with its change log (see checkReplaced).
  void remapToPath();
  // Writes the on-the-spot file and its folder to disk; 0 or the system error code.
  int syncOnTheSpot();
  // Puts a fresh temporary copy on the disk once, before its first edit; 0 or the error.
  int syncCopy();
  // Maps `path` for editing; on failure shows the open error and forgets `path`.
  bool mapDocument();
  // 0, or the error of a backup that was configured but could not be made.
  int makeBackup();
  void finishOpen(bool temporaryCopy);
  void loadRecoveredLog(const std::vector<ChangeEntry>& entries, bool journalThem);
  void showOpenError(const std::u16string& path, int error);
  void showError(int textId, std::initializer_list<FormatArg> args);
  int ask(int captionId, int textId, std::initializer_list<FormatArg> args);
  // Unmaps and resets; `keepForRecovery` leaves the copy and the journal in the work folder.
  void release(bool keepForRecovery);

  void changeAppended(const ChangeEntry& entry) override;
  void changesAppended(std::span<const ChangeEntry> entries) override;
  void changeUndone(const ChangeEntry& entry) override;
  void changesUndone(std::span<const ChangeEntry> newestFirst) override;
  bool mayWrite() override;

  DocumentServices m_services;
  DocumentWindow& m_window;
  std::u16string m_path;
  std::u16string m_sourcePath;
  std::u16string m_comparePath;
  std::u16string m_workFolder;  // resolved at open; empty when it is not private
  std::u16string m_backupPath;
  MappedFile m_file;
  ChangeLog m_changeLog;
  DiffSet m_diffSet;
  EditJournal m_journal;
  FileIdentity m_sourceIdentity;       // the user's file as opened or last saved
  std::vector<std::uint32_t> m_touched;  // offsets edited or undone since the last save
  bool m_unsaved = false;              // the copy differs from the user's file
  bool m_savedOnce = false;            // a save succeeded since the document was opened
  bool m_saveWhole = false;            // the next save writes every byte (a recovered copy)
  bool m_journalErrorShown = false;
  bool m_copyUnsynced = false;         // the fresh copy may not be on the disk yet
  int m_journalCreateError = 0;        // the crash journal could not be made
  std::vector<std::string> m_leftJournals;  // save journals a failed save could not drop
  bool m_replaced = false;             // the path no longer names the mapped file
  bool m_replacedAsked = false;        // and the user was asked about it
  bool m_readOnly = false;             // a look at a file another program edits on the spot
  std::int64_t m_pathCheckedAt = 0;    // when the idle check last looked, in ms
};

}  // namespace nibblet
