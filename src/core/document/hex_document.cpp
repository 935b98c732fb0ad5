#include "core/document/hex_document.h"

#include <cerrno>

#include "core/document/path_hash.h"
#include "core/document/save_file.h"
#include "core/i18n/show_message.h"
#include "core/i18n/string_ids.h"
#include "core/platform/file_system.h"
#include "core/platform/unicode.h"

namespace nibblet {
namespace {

std::u16string hex(std::uint32_t value) {
  return formatText(u"%X", {value});
}

std::u16string withSeparator(std::u16string folder) {
  if (folder.empty() || folder.back() != kPathSeparator) folder += kPathSeparator;
  return folder;
}

}  // namespace

HexDocument::HexDocument(DocumentServices services, DocumentWindow& window)
    : m_services(services), m_window(window) {}

std::u16string HexDocument::temporaryCopyName(const std::u16string& workPath, std::uint32_t instanceValue,
                                              const std::u16string& sourcePath) {
  return withSeparator(workPath) + u"nbt" + hex(instanceValue) + hex(pathHash(sourcePath)) + u".tmp";
}

void HexDocument::showOpenError(const std::u16string& path, int error) {
  const Texts& t = m_services.texts;
  showMessage(m_services.messages, t.loadText(kIdsError), kStyleError, t.loadText(kIdsFileOpenError),
              {path, error});
}

int HexDocument::ask(int captionId, int textId, std::initializer_list<FormatArg> args) {
  const Texts& t = m_services.texts;
  return showMessage(m_services.messages, t.loadText(captionId), kStyleQuestion, t.loadText(textId), args);
}

bool HexDocument::openDocument() {
  std::uint64_t fileLength = 0;
  m_backupPath.clear();
  if (!isFile(m_path) || fileSize(m_path, fileLength) != 0 || fileLength == 0) return false;
  // Paths longer than the program's path buffers and files whose size does not fit the 32-bit
  // size are refused with the open error rather than cut or shown modulo 4 GiB.
  if (m_path.size() > kMaxPath || fileLength > 0xFFFFFFFFull) {
    showOpenError(m_path, m_path.size() > kMaxPath ? ENAMETOOLONG : EOVERFLOW);
    m_path.clear();
    return false;
  }
  m_window.setTitle(fileNamePart(m_path));
  if (!textOf(m_services.settings.backupPath).empty()) makeBackup();
  return m_services.settings.openMode == 1 ? openTemporaryCopy() : openOnTheSpot();
}

void HexDocument::makeBackup() {
  Settings& settings = m_services.settings;
  std::u16string folder = textOf(settings.backupPath);
  if (folder.back() != kPathSeparator) {
    folder += kPathSeparator;
    // The setting itself keeps the separator, so it is stored that way at exit; a folder name
    // that no longer fits its buffer is left as it was and gets no backup.
    if (!setText(settings.backupPath, folder)) {
      setText(settings.backupPath, folder.substr(0, folder.size() - 1));
      return;
    }
  }
  std::u16string backupName = folder + fileNamePart(m_path) + u".bak";
  if (backupName.size() > kMaxPath) return;
  createMissingFolders(backupName);
  WaitCursorScope busy(m_services.waitCursor);
  if (copyFileReplacing(m_path, backupName, /*ownerOnly=*/true) == 0) m_backupPath = backupName;
}

bool HexDocument::openOnTheSpot() {
  if (!mapDocument()) return false;
  finishOpen(false);
  m_services.recentFiles.add(m_services.key, m_path);
  return true;
}

bool HexDocument::mapDocument() {
  int error = m_file.open(m_path, Access::ReadWrite);
  if (error == 0) return true;
  showOpenError(m_path, error);
  m_path.clear();
  m_window.setTitle(u"Nibblet");
  return false;
}

bool HexDocument::openTemporaryCopy() {
  m_sourcePath = m_path;
  m_path = temporaryCopyName(textOf(m_services.settings.workPath), m_services.instanceValue, m_sourcePath);
  if (m_path.size() > kMaxPath) {
    showOpenError(m_sourcePath, ENAMETOOLONG);
    close();
    return false;
  }
  // The work folder holds copies of the user's files: only the user may look into it.
  createMissingFolders(m_path, /*ownerOnly=*/true);
  int error;
  {
    WaitCursorScope busy(m_services.waitCursor);
    error = copyFileReplacing(m_sourcePath, m_path, /*ownerOnly=*/true);
  }
  if (error != 0) {
    showOpenError(m_sourcePath, error);
    close();
    return false;
  }
  // A copy that cannot be mapped stays in the work folder; `sourcePath` stays until Close.
  if (!mapDocument()) return false;
  finishOpen(true);
  m_services.recentFiles.add(m_services.key, m_sourcePath);
  return true;
}

void HexDocument::finishOpen(bool temporaryCopy) {
  m_changeLog.clear();
  m_diffSet.clear();
  m_window.documentOpened(temporaryCopy);
}

void HexDocument::save(bool askFirst) {
  if (!m_file.isOpen() || m_file.size() == 0 || m_sourcePath.empty()) return;
  const Texts& t = m_services.texts;
  if (askFirst && ask(kIdsSave, kIdsSaveQuestion, {m_sourcePath}) != kButtonYes) return;
  int error;
  {
    WaitCursorScope busy(m_services.waitCursor);
    error = writeFileReplacing(m_sourcePath, m_file.bytes(), m_file.size());
  }
  if (error != 0) {
    showMessage(m_services.messages, t.loadText(kIdsError), kStyleError, t.loadText(kIdsErrorWithFile),
                {error, m_sourcePath});
    return;
  }
  showMessage(m_services.messages, t.loadText(kIdsSave), kStyleInformation, t.loadText(kIdsFileSaved),
              {m_sourcePath});
}

void HexDocument::close() {
  bool pathExists = isFile(m_path);
  if (pathExists && !m_sourcePath.empty() && isFile(m_sourcePath) && !m_changeLog.isEmpty()) {
    if (ask(kIdsSave, kIdsSaveChanges, {}) == kButtonYes) save(false);
  } else if (pathExists && m_sourcePath.empty() && !m_changeLog.isEmpty() && m_file.isOpen()) {
    if (ask(kIdsSave, kIdsKeepChangesQuestion, {}) == kButtonNo) {
      while (m_changeLog.undoLast(m_file.bytes(), m_file.size())) {
      }
    }
  }
  m_window.documentClosing();
  m_changeLog.clear();
  m_diffSet.clear();
  m_file.close();
  if (!m_path.empty() && !m_sourcePath.empty() && isFile(m_path) && isFile(m_sourcePath)) deleteFile(m_path);
  m_path.clear();
  m_comparePath.clear();
  m_sourcePath.clear();
  m_window.documentClosed();
  m_window.setTitle(u"Nibblet");
}

void HexDocument::undo() {
  if (!m_file.isOpen()) return;
  const Texts& t = m_services.texts;
  if (m_changeLog.isEmpty()) {
    showMessage(m_services.messages, t.loadText(kIdsUndo), kStyleInformation, t.loadText(kIdsNoChanges));
    return;
  }
  m_changeLog.undoLast(m_file.bytes(), m_file.size());
  m_window.bytesRestored();
}

void HexDocument::undoAll() {
  if (!m_file.isOpen()) return;
  const Texts& t = m_services.texts;
  std::uint32_t n = m_changeLog.count();
  if (n == 0) {
    showMessage(m_services.messages, t.loadText(kIdsUndo), kStyleInformation, t.loadText(kIdsNoChanges));
    return;
  }
  if (ask(kIdsUndoAll, kIdsUndoAllQuestion, {n}) != kButtonYes) return;
  while (m_changeLog.undoLast(m_file.bytes(), m_file.size())) {
  }
  m_window.bytesRestored();
}

}  // namespace nibblet
