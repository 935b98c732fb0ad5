#pragma once
// The File > Differences commands and Goto next diff: comparing the document with a second file
// or with its backup, stepping through and forgetting the differences, exporting the edits or
// the differences as a difference file, and importing one (with a preview, and taking back a
// file whose changes are already in the document). The window only runs the file browser and
// moves the view.

#include <cstdint>
#include <string>

#include "core/browser/file_browser_options.h"
#include "core/document/hex_document.h"
#include "core/platform/code_page.h"

namespace nibblet {

constexpr int kBrowseOk = 1;  // the file browser's result when a path was chosen

// What the commands ask of the window.
class DiffWindow {
 public:
  virtual ~DiffWindow() = default;
  // Runs the file browser; returns kBrowseOk with the chosen path in `path`, anything else
  // for a cancel.
  virtual int browse(const FileBrowserOptions& options, std::u16string& path) = 0;
  // Whether the document's view exists; no command acts without it.
  virtual bool hasView() const = 0;
  // Scrolls so the row of `offset` is the top row, and redraws.
  virtual void gotoOffset(std::uint32_t offset) = 0;
  // Rebuilds the view's text and repaints its marks.
  virtual void rebuildText() = 0;
};

struct DiffServices {
  const Texts& texts;
  MessageBox& messages;
  WaitCursor& waitCursor;
  const CodePage& codePage;
  std::u16string& lastFolder;  // the folder the file browser starts in
};

class DiffCommands {
 public:
  DiffCommands(HexDocument& document, DiffServices services, DiffWindow& window);
  DiffCommands(const DiffCommands&) = delete;
  DiffCommands& operator=(const DiffCommands&) = delete;

  // Forgets the differences, asks for a second file and compares.
  void compare();
  // Compares with the backup made when the document was opened; see hasBackup().
  void compareWithBackup();
  // True while a document is open whose backup copy exists.
  bool hasBackup() const;
  // Forgets the differences and redraws, so no mark of them stays on screen.
  void clear();
  // Scrolls to the next difference, wrapping after the last; nothing when there is none.
  void gotoNextDiff();
  // "Save changes as diff" (the change log) and "Save differences" (the last comparison).
  void exportChanges() { exportList(false); }
  void exportDifferences() { exportList(true); }
  // "Import diff".
  void importDiff();

 private:
  void compareWith(const std::u16string& otherPath);
  void exportList(bool differences);
  void showStorageError(AppendResult result);
  int show(int captionId, int style, int textId, std::initializer_list<FormatArg> args = {});
  // The user's file: the temporary copy's source, or the file edited on the spot.
  const std::u16string& userPath() const;
  std::string multiByte(const std::u16string& text) const;

  HexDocument& m_document;
  DiffServices m_services;
  DiffWindow& m_window;
};

}  // namespace nibblet
