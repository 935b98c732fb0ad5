#pragma once
// The state and rules of the file browser dialog: which folder is listed and how, the folder
// drop-down, the file-name text, navigation, delete, rename, New folder and what OK accepts.
// The dialog widget forwards the user's actions here and shows the resulting state.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/browser/file_browser_options.h"
#include "core/platform/file_system.h"

namespace nibblet {

class MessageBox;
class WaitCursor;

struct BrowserEntry {
  std::u16string name;
  std::uint32_t attributes = 0;  // the raw attributes the folder listing gave
  std::u16string sizeText;       // empty for a folder
  std::u16string dateText;
  EntryType type = EntryType::Plain;  // pipes, sockets, devices and dead links are refused
  bool isFolder() const;
};

// True for attributes with the directory or the temporary (mounted volume) bit.
bool isFolderAttributes(std::uint32_t attributes);

// The entries of `folder` that the browser lists with `options`, sorted: folders first, then
// files, each group by name ignoring case. An unreadable folder gives no entries.
std::vector<BrowserEntry> listBrowserEntries(std::u16string_view folder,
                                             const FileBrowserOptions& options,
                                             const std::vector<std::u16string>& patterns);

class FileBrowserModel {
 public:
  enum class DoubleTap { Nothing, Ok, OpenedFolder };

  // Lists the start folder of `options`. The cursor is shown busy while a folder is listed.
  FileBrowserModel(const FileBrowserOptions& options, WaitCursor& cursor);
  FileBrowserModel(const FileBrowserModel&) = delete;
  FileBrowserModel& operator=(const FileBrowserModel&) = delete;

  const FileBrowserOptions& options() const { return m_options; }
  const std::u16string& currentFolder() const { return m_currentFolder; }
  const std::vector<BrowserEntry>& entries() const { return m_entries; }
  // Index of the entry called `name` (exactly), or -1.
  int findEntry(std::u16string_view name) const;
  const std::vector<std::u16string>& folderItems() const { return m_folderItems; }
  int selectedFolderItem() const { return static_cast<int>(m_folderItems.size()) - 1; }
  // The remembered text of the file-name box; the box shows it after each navigation step.
  const std::u16string& fileName() const { return m_fileName; }
  void setFileName(std::u16string_view text) { m_fileName = text; }
  // True while a name in the list is being edited in place; commands are then ignored.
  bool labelEditing() const { return m_labelEditing; }
  const std::u16string& lastCreatedFolder() const { return m_lastCreated; }

  // Navigation. Each returns false and changes nothing while a name is being edited.
  bool chooseFolderItem(int item);
  bool folderUp();
  bool openFolder(std::u16string_view name);
  // A tap on entry `index`: a file that still exists puts its name into the file-name text; a
  // pipe, socket, device or dead link is refused (see refusal).
  void tapEntry(int index);
  // A double tap on entry `index`: a file asks for OK, a folder is opened; an entry the tap
  // refused does nothing.
  DoubleTap doubleTapEntry(int index);

  // Why the last tap or OK refused what it named: the id of the text saying so, whose %s takes
  // refusedPath(); 0 when it was not refused or the refusal goes without a word.
  int refusal() const { return m_refusal; }
  const std::u16string& refusedPath() const { return m_refusedPath; }

  // Asks `caption` ("Delete ?") with the entry's name for entry `index` and on Yes deletes the
  // file or link, or removes the (empty) folder; failures are silent. Links are never followed.
  // Returns true when the question was asked (the list is then refilled), false when the entry
  // no longer exists or a name is being edited.
  bool deleteEntry(int index, MessageBox& messages, const std::u16string& caption = u"Delete ?");

  // Renaming in place. beginRename remembers the entry's name (false for a bad index or while
  // already editing); endRename with null cancels, otherwise moves the entry to `newName` when
  // that is a plain name; a file-name text that held the old name then holds the new one.
  // Either way the list and drop-down are refilled.
  bool beginRename(int index);
  void endRename(const std::u16string* newName);

  // Creates "NewFolder", else the first of "NewFolder#2" ... "NewFolder#100" the file system
  // accepts, and refills. Returns the new folder's entry index, or -1 when none was created.
  int createNewFolder();

  // OK with the box text. False refuses (the dialog stays open; silently unless refusal()
  // names a reason: a pipe, socket, device or looping link is never accepted, a dead link not
  // where the path must exist). True accepts and writes the chosen path, tidied by
  // normalisePath (extension rule applied; empty for the root in folder mode).
  bool ok(std::u16string_view boxText, std::u16string& path);

  // Lists the current folder again; refillAll also rebuilds the drop-down.
  void refillList();
  void refillAll();

 private:
  FileBrowserOptions m_options;
  WaitCursor& m_cursor;
  std::vector<std::u16string> m_patterns;
  std::u16string m_currentFolder;
  std::u16string m_fileName;
  std::vector<BrowserEntry> m_entries;
  std::vector<std::u16string> m_folderItems;
  bool m_labelEditing = false;
  std::u16string m_renamedFrom;
  std::u16string m_lastCreated;
  int m_refusal = 0;
  std::u16string m_refusedPath;
};

}  // namespace nibblet
