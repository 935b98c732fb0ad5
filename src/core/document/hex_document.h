#pragma once
// The one file being edited: its mapping, the two open modes (on the spot, or a temporary
// copy saved back on demand), backups, the change log with undo, save and close with their
// questions. The window it belongs to is told of every change it must show.

#include <cstdint>
#include <string>

#include "core/diff/diff_set.h"
#include "core/document/change_log.h"
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
  // Bytes were put back by an undo: rebuild the view's text.
  virtual void bytesRestored() = 0;
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

class HexDocument {
 public:
  HexDocument(DocumentServices services, DocumentWindow& window);
  HexDocument(const HexDocument&) = delete;
  HexDocument& operator=(const HexDocument&) = delete;

  // The file to open next (the Open command, recent files and the command line set it).
  void setPath(const std::u16string& path) { m_path = path; }

  // Opens the file named by `path` in the mode of the `openMode` setting. A missing file, a
  // folder or an empty file leaves no document and shows nothing; other failures show the
  // open error. Returns true when a document is open afterwards.
  bool openDocument();

  // Asks about unsaved or on-the-spot changes, then closes and resets every path.
  void close();
  // Writes the temporary copy over the user's file; `ask` poses the question first.
  void save(bool ask);
  // The Undo and Undo All commands.
  void undo();
  void undoAll();

  bool isOpen() const { return m_file.isOpen(); }
  bool isTemporaryCopy() const { return !m_sourcePath.empty(); }
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

 private:
  bool openOnTheSpot();
  bool openTemporaryCopy();
  // Maps `path` for editing; on failure shows the open error and forgets `path`.
  bool mapDocument();
  void makeBackup();
  void finishOpen(bool temporaryCopy);
  void showOpenError(const std::u16string& path, int error);
  int ask(int captionId, int textId, std::initializer_list<FormatArg> args);

  DocumentServices m_services;
  DocumentWindow& m_window;
  std::u16string m_path;
  std::u16string m_sourcePath;
  std::u16string m_comparePath;
  std::u16string m_backupPath;
  MappedFile m_file;
  ChangeLog m_changeLog;
  DiffSet m_diffSet;
};

}  // namespace nibblet
