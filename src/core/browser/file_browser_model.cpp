#include "core/browser/file_browser_model.h"

#include <algorithm>

#include "core/browser/entry_refusal.h"
#include "core/browser/entry_texts.h"
#include "core/browser/folder_path.h"
#include "core/browser/wildcard.h"
#include "core/platform/file_system.h"
#include "core/platform/lexical_path.h"
#include "core/platform/message_box.h"
#include "core/platform/unicode.h"
#include "core/platform/wait_cursor.h"

namespace nibblet {
namespace {

constexpr int kNewFolderAttempts = 100;

// Where an entry's name folded to lower case lies in the listing's one buffer of folded names,
// and whether it is a folder: all the sort looks at, so the sort moves no strings.
struct SortKey {
  std::uint32_t at;
  std::uint32_t length;
  std::uint32_t index;
  bool folder;
};

// Appends `name` folded to lower case: ASCII at once, anything else through the Unicode folding.
void appendFolded(std::u16string& out, std::u16string_view name) {
  for (char16_t c : name) {
    if (c >= 0x80) {
      out += toLower(name);
      return;
    }
  }
  for (char16_t c : name) out += c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
}

}  // namespace

bool isFolderAttributes(std::uint32_t attributes) {
  return (attributes & (kAttrDirectory | kAttrTemporary)) != 0;
}

bool BrowserEntry::isFolder() const { return isFolderAttributes(attributes); }

std::vector<BrowserEntry> listBrowserEntries(std::u16string_view folder,
                                             const FileBrowserOptions& options,
                                             const std::vector<std::u16string>& patterns) {
  std::vector<BrowserEntry> entries;
  std::vector<FolderEntry> found;
  if (listFolder(std::u16string(folder), found) != 0) return entries;

  std::vector<SortKey> keys;
  keys.reserve(found.size());
  std::u16string folded;
  for (std::size_t i = 0; i < found.size(); ++i) {
    const FolderEntry& f = found[i];
    bool folderEntry = isFolderAttributes(f.attributes);
    if (options.folderMode && !folderEntry) continue;
    if (f.name.empty() || f.name.front() == u'.') continue;
    if (options.hideRomFiles && (f.attributes & kAttrInRom) != 0) continue;
    const std::size_t at = folded.size();
    appendFolded(folded, f.name);
    if (!folderEntry && !matchesAnyPattern(patterns, std::u16string_view(folded).substr(at))) {
      folded.resize(at);
      continue;
    }
    keys.push_back({static_cast<std::uint32_t>(at), static_cast<std::uint32_t>(folded.size() - at),
                    static_cast<std::uint32_t>(i), folderEntry});
  }

  // Folders ahead of files, each group by name ignoring case (the exact name breaks ties).
  const std::u16string_view names = folded;
  std::sort(keys.begin(), keys.end(), [&](const SortKey& a, const SortKey& b) {
    if (a.folder != b.folder) return a.folder;
    int order = names.substr(a.at, a.length).compare(names.substr(b.at, b.length));
    if (order != 0) return order < 0;
    return found[a.index].name < found[b.index].name;
  });
  // The entries are made in their final order: the texts are written once, nothing is moved.
  entries.resize(keys.size());
  for (std::size_t i = 0; i < keys.size(); ++i) {
    FolderEntry& f = found[keys[i].index];
    BrowserEntry& entry = entries[i];
    entry.name = std::move(f.name);
    entry.attributes = f.attributes;
    entry.type = f.type;
    if (!keys[i].folder && f.type == EntryType::Plain) entry.sizeText = sizeText(f.size);
    entry.dateText = dateText(f.writeTime);
  }
  return entries;
}

FileBrowserModel::FileBrowserModel(const FileBrowserOptions& options, WaitCursor& cursor)
    : m_options(options),
      m_cursor(cursor),
      m_patterns(splitPatterns(options.filter)),
      m_currentFolder(startingFolder(options.startFolder)),
      m_fileName(options.fileNameText) {
  refillAll();
}

int FileBrowserModel::findEntry(std::u16string_view name) const {
  for (std::size_t i = 0; i < m_entries.size(); ++i) {
    if (m_entries[i].name == name) return static_cast<int>(i);
  }
  return -1;
}

void FileBrowserModel::refillList() {
  WaitCursorScope busy(m_cursor);
  m_entries = listBrowserEntries(m_currentFolder, m_options, m_patterns);
}

void FileBrowserModel::refillAll() {
  refillList();
  m_folderItems = nibblet::folderItems(m_currentFolder);
}

bool FileBrowserModel::chooseFolderItem(int item) {
  if (m_labelEditing) return false;
  m_currentFolder = folderOfItem(m_currentFolder, item);
  refillAll();
  return true;
}

bool FileBrowserModel::folderUp() {
  if (m_labelEditing) return false;
  m_currentFolder = parentFolder(m_currentFolder);
  refillAll();
  return true;
}

bool FileBrowserModel::openFolder(std::u16string_view name) {
  if (m_labelEditing || !isPlainName(name)) return false;
  m_currentFolder = withSeparator(joinPath(m_currentFolder, name));
  refillAll();
  return true;
}

void FileBrowserModel::tapEntry(int index) {
  m_refusal = 0;
  if (index < 0 || static_cast<std::size_t>(index) >= m_entries.size()) return;
  const std::u16string& name = m_entries[index].name;
  std::u16string path = joinPath(m_currentFolder, name);
  if (int reason = refusalText(m_entries[index].type)) {
    m_refusal = reason;
    m_refusedPath = std::move(path);
    return;
  }
  if (fileKind(path) == FileKind::File) m_fileName = name;
}

FileBrowserModel::DoubleTap FileBrowserModel::doubleTapEntry(int index) {
  if (m_labelEditing || index < 0 || static_cast<std::size_t>(index) >= m_entries.size())
    return DoubleTap::Nothing;
  if (m_entries[index].type != EntryType::Plain) return DoubleTap::Nothing;
  if (!m_entries[index].isFolder()) return DoubleTap::Ok;
  std::u16string name = m_entries[index].name;
  return openFolder(name) ? DoubleTap::OpenedFolder : DoubleTap::Nothing;
}

bool FileBrowserModel::deleteEntry(int index, MessageBox& messages, const std::u16string& caption) {
  if (m_labelEditing || index < 0 || static_cast<std::size_t>(index) >= m_entries.size())
    return false;
  std::u16string name = m_entries[index].name;
  std::u16string path = joinPath(m_currentFolder, name);
  // The name itself is deleted, never what a link points to; a link whose target is gone
  // can be deleted too.
  if (entryKind(path) == FileKind::Missing) return false;
  if (messages.show(caption, kStyleQuestion, name) == kButtonYes) {
    // The entry may have changed while the question was open: look again before acting.
    FileKind kind = entryKind(path);
    if (kind == FileKind::Folder) {
      removeFolder(path);
    } else if (kind == FileKind::File) {
      deleteFile(path);
    }
  }
  refillList();
  return true;
}

bool FileBrowserModel::beginRename(int index) {
  if (m_labelEditing || index < 0 || static_cast<std::size_t>(index) >= m_entries.size())
    return false;
  m_renamedFrom = m_entries[index].name;
  m_labelEditing = true;
  return true;
}

void FileBrowserModel::endRename(const std::u16string* newName) {
  if (!m_labelEditing) return;
  m_labelEditing = false;
  if (newName && *newName != m_renamedFrom && isPlainName(*newName) &&
      moveFile(joinPath(m_currentFolder, m_renamedFrom), joinPath(m_currentFolder, *newName)) == 0) {
    // The box named the entry by its old name: it follows the rename, so OK still finds it.
    if (m_fileName == m_renamedFrom) m_fileName = *newName;
  }
  refillAll();
}

int FileBrowserModel::createNewFolder() {
  if (m_labelEditing) return -1;
  for (int attempt = 1; attempt <= kNewFolderAttempts; ++attempt) {
    std::u16string name = u"NewFolder";
    if (attempt > 1) name += u"#" + fromAscii(std::to_string(attempt));
    if (createFolder(joinPath(m_currentFolder, name)) != 0) continue;
    m_lastCreated = name;
    refillAll();
    return findEntry(name);
  }
  return -1;
}

bool FileBrowserModel::ok(std::u16string_view boxText, std::u16string& path) {
  m_refusal = 0;
  if (m_labelEditing) return false;
  m_fileName = boxText;
  if (!m_options.folderMode && m_fileName.empty()) return false;
  // A typed "../x" or "./x" names the file the user sees it name, and is shown that way.
  std::u16string chosen = normalisePath(m_currentFolder + m_fileName);
  if (m_options.folderMode) {
    if (!chosen.empty() && chosen.back() == kPathSeparator) chosen.pop_back();
    if (chosen.empty()) {
      path.clear();
      return true;
    }
  }
  // A pipe or a device would hang or flood the program; a looping link reaches nothing. A dead
  // link is only a name yet: it can be written through, but there is nothing to open.
  EntryType type = entryType(chosen);
  if (type != EntryType::Plain && (type != EntryType::BrokenLink || m_options.mustExist)) {
    m_refusal = refusalText(type);
    m_refusedPath = chosen;
    return false;
  }
  FileKind kind = fileKind(chosen);
  if (m_options.mustExist && kind == FileKind::Missing) return false;
  if (!m_options.folderMode && kind == FileKind::Folder) return false;
  if (m_options.folderMode && kind == FileKind::File) return false;
  if (!m_options.folderMode && m_options.appendExtension)
    chosen = withDefaultExtension(chosen, m_options.defaultExtension);
  path = std::move(chosen);
  return true;
}

}  // namespace nibblet
