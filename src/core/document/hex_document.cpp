#include "core/document/hex_document.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "core/document/path_hash.h"
#include "core/document/save_file.h"
#include "core/document/save_in_place.h"
#include "core/document/work_folder.h"
#include "core/i18n/show_message.h"
#include "core/i18n/string_ids.h"
#include "core/platform/file_system.h"
#include "core/platform/unicode.h"

namespace nibblet {
namespace {

std::u16string hex(std::uint32_t value) {
  return formatText(u"%X", {value});
}

}  // namespace

HexDocument::HexDocument(DocumentServices services, DocumentWindow& window)
    : m_services(services), m_window(window) {
  m_changeLog.setObserver(this);
}

HexDocument::~HexDocument() {
  abandon();
  m_changeLog.setObserver(nullptr);
}

std::u16string HexDocument::temporaryCopyName(const std::u16string& workPath, std::uint32_t instanceValue,
                                              const std::u16string& sourcePath) {
  return withSeparator(workPath) + u"nbt" + hex(instanceValue) + hex(pathHash(sourcePath)) + u".tmp";
}

std::u16string HexDocument::journalName(const std::u16string& copyName) {
  return copyName.substr(0, copyName.size() - 4) + u".jnl";
}

void HexDocument::showOpenError(const std::u16string& path, int error) {
  showError(kIdsFileOpenError, {path, error});
}

void HexDocument::showError(int textId, std::initializer_list<FormatArg> args) {
  const Texts& t = m_services.texts;
  showMessage(m_services.messages, t.loadText(kIdsError), kStyleError, t.loadText(textId), args);
}

int HexDocument::ask(int captionId, int textId, std::initializer_list<FormatArg> args) {
  const Texts& t = m_services.texts;
  return showMessage(m_services.messages, t.loadText(captionId), kStyleQuestion, t.loadText(textId), args);
}

void HexDocument::changeAppended(const ChangeEntry& entry) {
  m_journal.changeAppended(entry);
  m_touched.push_back(entry.offset);
  m_unsaved = true;
}

void HexDocument::changeUndone(const ChangeEntry& entry) {
  m_journal.changeUndone(entry);
  // An undo after a save changes a byte the user's file already holds in its new form; before
  // any save it only takes the copy back towards the user's file, which the log still shows.
  m_touched.push_back(entry.offset);
  if (m_savedOnce) m_unsaved = true;
  else if (m_changeLog.count() <= 1) m_unsaved = false;  // the last entry goes: the copy is the file again
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
  if (!textOf(m_services.settings.backupPath).empty()) {
    int error = makeBackup();
    if (error != 0 && ask(kIdsOpenFile, kIdsBackupFailed, {m_path, error}) != kButtonYes) {
      m_path.clear();
      m_window.setTitle(u"Nibblet");
      return false;
    }
  }
  m_workFolder = workFolderOf(m_services.settings);
  int workError = prepareWorkFolder(m_workFolder);
  if (workError != 0) {
    // Only a folder nobody else can write into may hold copies and journals. Without one a
    // document opens on the spot all the same, only without its crash journal.
    if (workError == EPERM) showError(kIdsUnsafeWorkFolder, {m_workFolder});
    else if (m_services.settings.openMode == 1) showOpenError(m_path, workError);
    m_workFolder.clear();
    if (m_services.settings.openMode == 1) {
      m_path.clear();
      m_window.setTitle(u"Nibblet");
      return false;
    }
  }
  EditJournalContents onTheSpot;
  switch (offerRecovery(onTheSpot)) {
    case Recovery::Copy: return true;
    case Recovery::OnTheSpot: return openOnTheSpot(&onTheSpot);
    case Recovery::Refused:
      m_path.clear();
      m_window.setTitle(u"Nibblet");
      return false;
    case Recovery::None: break;
  }
  return m_services.settings.openMode == 1 ? openTemporaryCopy() : openOnTheSpot(nullptr);
}

int HexDocument::makeBackup() {
  Settings& settings = m_services.settings;
  std::u16string setting = textOf(settings.backupPath);
  if (setting.back() != kPathSeparator) {
    // The setting itself keeps the separator, so it is stored that way at exit.
    if (!setText(settings.backupPath, setting + kPathSeparator)) return ENAMETOOLONG;
  }
  std::u16string folder = backupFolderOf(settings);
  if (folder.empty()) return EILSEQ;  // a relative folder below a default that has no name
  std::u16string backupName = folder + fileNamePart(m_path) + u".bak";
  if (backupName.size() > kMaxPath) return ENAMETOOLONG;
  int error = createMissingFolders(backupName, /*ownerOnly=*/true);
  if (error != 0) return error;
  WaitCursorScope busy(m_services.waitCursor);
  error = copyFileReplacing(m_path, backupName, /*ownerOnly=*/true, busy.report());
  if (error == 0) m_backupPath = backupName;
  return error;
}

HexDocument::Recovery HexDocument::offerRecovery(EditJournalContents& onTheSpot) {
  if (m_workFolder.empty()) return Recovery::None;
  auto found = EditJournal::findLeftJournals(toUtf8(m_workFolder), toUtf8(m_path));
  Recovery result = Recovery::None;
  for (EditJournal::Found& f : found) {
    const EditJournalContents& c = f.contents;
    bool decided = result != Recovery::None;
    int answer = kButtonNo;
    if (!decided && c.mode == JournalMode::TemporaryCopy && c.unsaved && isFile(fromUtf8(c.copyPath))) {
      answer = ask(kIdsOpenFile, kIdsRecoverCopy, {m_path});
      if (answer == kButtonYes) {
        result = openRecoveredCopy(f) ? Recovery::Copy : Recovery::Refused;
        continue;
      }
    } else if (!decided && c.mode == JournalMode::OnTheSpot && !c.entries.empty()) {
      FileIdentity now;
      bool sameFile = identityOf(-1, toUtf8(m_path), now) == 0 && now.sameFile(c.source);
      if (sameFile) answer = ask(kIdsOpenFile, kIdsRecoverOnTheSpot, {m_path, static_cast<std::uint32_t>(c.entries.size())});
      if (answer == kButtonYes) {
        onTheSpot = c;
        result = Recovery::OnTheSpot;
      }
    }
    if (answer != kButtonYes && answer != kButtonNo) {
      // A question ended without an answer (the program told to quit) discards nothing.
      ::close(f.fd);
      result = Recovery::Refused;
      continue;
    }
    if (decided) {
      ::close(f.fd);  // left for a later open
      continue;
    }
    // Declined, or nothing in it to recover: the journal and its copy go.
    if (!c.copyPath.empty()) ::unlink(c.copyPath.c_str());
    ::unlink(f.path.c_str());
    ::close(f.fd);
  }
  return result;
}

bool HexDocument::openRecoveredCopy(EditJournal::Found& found) {
  // The copy and its journal keep their names: renaming them one after the other could leave a
  // journal that names no copy if this run died in between. Their locks make them this run's.
  m_sourcePath = m_path;
  m_path = fromUtf8(found.contents.copyPath);
  int fd = ::open(found.contents.copyPath.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
  int error = fd < 0 ? errno : 0;
  if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0) error = errno;
  if (error == 0) error = m_journal.adopt(found.fd, found.path, found.contents.validBytes);
  else ::close(found.fd);
  found.fd = -1;
  if (error == 0) {
    error = m_file.adopt(fd, Access::ReadWrite);
    fd = -1;
  }
  if (fd >= 0) ::close(fd);
  if (error != 0) {
    showOpenError(m_path, error);
    m_journal.release();
    m_path.clear();
    m_sourcePath.clear();
    m_window.setTitle(u"Nibblet");
    return false;
  }
  // The user's file is taken as it was opened or last saved before the crash: a change made to
  // it since then is found at the next save, which asks before overwriting it.
  m_sourceIdentity = found.contents.source;
  finishOpen(true);
  m_touched = found.contents.touched;
  m_unsaved = true;
  // The crashed run's journal may lack its last records: the first save writes the whole copy.
  m_saveWhole = true;
  loadRecoveredLog(found.contents.entries, /*journalThem=*/false);
  m_services.recentFiles.add(m_services.key, m_sourcePath);
  return true;
}

void HexDocument::loadRecoveredLog(const std::vector<ChangeEntry>& entries, bool journalThem) {
  // An adopted journal holds these entries already; a new one must get them again.
  if (!journalThem) m_changeLog.setObserver(nullptr);
  for (const ChangeEntry& e : entries) {
    if (e.offset >= m_file.size()) continue;
    m_changeLog.append(e.offset, e.oldValue, e.newValue);
  }
  m_changeLog.setObserver(this);
  m_window.bytesRestored();
}

bool HexDocument::openOnTheSpot(const EditJournalContents* recovered) {
  if (!mapDocument()) return false;
  identityOf(m_file.descriptor(), "", m_sourceIdentity);
  if (!m_workFolder.empty()) {
    std::u16string copyName = temporaryCopyName(m_workFolder, m_services.instanceValue, m_path);
    m_journal.create(toUtf8(journalName(copyName)), JournalMode::OnTheSpot, toUtf8(m_path), "", m_sourceIdentity);
  }
  finishOpen(false);
  // The recovered entries go into the new journal too, so a second crash keeps them.
  if (recovered) loadRecoveredLog(recovered->entries, /*journalThem=*/true);
  m_unsaved = false;
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
  m_path = temporaryCopyName(m_workFolder, m_services.instanceValue, m_sourcePath);
  if (m_path.size() > kMaxPath) {
    showOpenError(m_sourcePath, ENAMETOOLONG);
    close();
    return false;
  }
  int error = identityOf(-1, toUtf8(m_sourcePath), m_sourceIdentity);
  // The journal comes first: a copy without one is known to be a leftover.
  if (error == 0)
    error = m_journal.create(toUtf8(journalName(m_path)), JournalMode::TemporaryCopy, toUtf8(m_sourcePath),
                             toUtf8(m_path), m_sourceIdentity);
  int fd = -1;
  if (error == 0) {
    WaitCursorScope busy(m_services.waitCursor);
    error = copyFileKeepingOpen(m_sourcePath, m_path, /*ownerOnly=*/true, fd, busy.report());
  }
  if (error != 0) {
    m_journal.discard();
    showOpenError(m_sourcePath, error);
    close();
    return false;
  }
  // The copy is mapped from the descriptor that created it, never opened again by name.
  error = m_file.adopt(fd, Access::ReadWrite);
  if (error != 0) {
    showOpenError(m_path, error);
    deleteFile(m_path);
    m_journal.discard();
    m_path.clear();
    m_window.setTitle(u"Nibblet");
    return false;
  }
  finishOpen(true);
  m_unsaved = false;
  m_services.recentFiles.add(m_services.key, m_sourcePath);
  return true;
}

void HexDocument::finishOpen(bool temporaryCopy) {
  m_changeLog.clear();
  m_diffSet.clear();
  m_touched.clear();
  m_window.documentOpened(temporaryCopy);
}

bool HexDocument::save(bool askFirst) {
  if (!m_file.isOpen() || m_file.size() == 0 || m_sourcePath.empty()) return false;
  if (checkMapping()) return false;
  const Texts& t = m_services.texts;
  if (askFirst && ask(kIdsSave, kIdsSaveQuestion, {m_sourcePath}) != kButtonYes) return false;
  std::string source = toUtf8(m_sourcePath);
  FileIdentity now;
  int error = identityOf(-1, source, now);
  bool missing = error == ENOENT;
  bool changed = error == 0 && !(now == m_sourceIdentity && now.size == m_file.size());
  if (changed && ask(kIdsSave, kIdsChangedOnDisk, {m_sourcePath}) != kButtonYes) return false;
  FileIdentity after;
  {
    WaitCursorScope busy(m_services.waitCursor);
    if (missing) {
      // Nothing is left to write into: the file is made anew, whole, beside its name.
      error = writeFileReplacing(m_sourcePath, m_file.bytes(), m_file.size());
      if (error == 0) error = identityOf(-1, source, after);
    } else if (error == 0) {
      SaveRequest request;
      request.target = source;
      request.expected = m_sourceIdentity;
      request.bytes = m_file.bytes();
      request.size = m_file.size();
      request.workFolder = toUtf8(m_workFolder);
      request.whole = changed || m_saveWhole;
      request.copyPath = toUtf8(m_path);
      request.damaged = [this] { return m_file.isDamaged(); };
      if (request.whole) error = m_file.flush();
      if (error == 0) {
        request.offsets = m_touched;
        request.progress = busy.report();
        std::string left;
        error = saveInPlace(request, after, &left);
        // A save that failed halfway leaves its journal for the next start, which needs the
        // copy to finish it: the copy is then kept whatever Close is answered.
        if (!left.empty()) m_leftJournals.push_back(left);
      }
    }
  }
  if (error == 0 && m_file.isDamaged()) error = EIO;
  if (error != 0) {
    showMessage(m_services.messages, t.loadText(kIdsError), kStyleError, t.loadText(kIdsErrorWithFile),
                {error, m_sourcePath});
    return false;
  }
  m_sourceIdentity = after;
  m_touched.clear();
  m_unsaved = false;
  m_savedOnce = true;
  m_saveWhole = false;
  // The file now holds every byte of the copy: journals of earlier failed saves are stale.
  for (const std::string& left : m_leftJournals) ::unlink(left.c_str());
  m_leftJournals.clear();
  m_journal.saved(after);
  showMessage(m_services.messages, t.loadText(kIdsSave), kStyleInformation, t.loadText(kIdsFileSaved),
              {m_sourcePath});
  return true;
}

bool HexDocument::close() {
  if (checkMapping()) return true;
  bool pathExists = isFile(m_path);
  if (pathExists && !m_sourcePath.empty() && (!m_changeLog.isEmpty() || m_unsaved) && m_file.isOpen()) {
    // Also asked when the user's file has gone: Yes makes it anew rather than leaving the
    // edits in a copy nobody would find.
    int answer = ask(kIdsSave, kIdsSaveChanges, {});
    if (answer == kButtonYes && !save(false)) return false;
    // A box ended without an answer (the program told to quit) keeps the document.
    if (answer != kButtonYes && answer != kButtonNo) return false;
  } else if (pathExists && m_sourcePath.empty() && !m_changeLog.isEmpty() && m_file.isOpen()) {
    int answer = ask(kIdsSave, kIdsKeepChangesQuestion, {});
    if (answer != kButtonYes && answer != kButtonNo) return false;
    if (answer == kButtonNo) {
      while (m_changeLog.undoLast(m_file.bytes(), m_file.size())) {
      }
    }
  }
  if (checkMapping()) return true;
  m_window.documentClosing();
  release(/*keepForRecovery=*/!m_leftJournals.empty());
  m_window.documentClosed();
  m_window.setTitle(u"Nibblet");
  return true;
}

void HexDocument::release(bool keepForRecovery) {
  m_changeLog.setObserver(nullptr);
  m_changeLog.clear();
  m_changeLog.setObserver(this);
  m_diffSet.clear();
  bool copyOpen = m_file.isOpen() && !m_sourcePath.empty();
  m_file.close();
  if (keepForRecovery) {
    m_journal.release();
  } else {
    if (copyOpen && !m_path.empty()) deleteFile(m_path);
    m_journal.discard();
  }
  m_path.clear();
  m_comparePath.clear();
  m_sourcePath.clear();
  m_touched.clear();
  m_unsaved = false;
  m_savedOnce = false;
  m_saveWhole = false;
  m_journalErrorShown = false;
  m_leftJournals.clear();
}

bool HexDocument::checkJournal() {
  if (!m_file.isOpen() || !hasUnreportedJournalError()) return false;
  m_journalErrorShown = true;
  showError(kIdsJournalFailed, {m_sourcePath.empty() ? m_path : m_sourcePath, m_journal.error()});
  return true;
}

bool HexDocument::checkMapping() {
  if (!m_file.isOpen() || !m_file.isDamaged()) return false;
  std::u16string shown = m_sourcePath.empty() ? m_path : m_sourcePath;
  bool copy = !m_sourcePath.empty();
  m_window.documentClosing();
  // A damaged copy keeps what it holds for recovery; on the spot the file itself was changed
  // behind the program's back, so its journal no longer describes it.
  release(/*keepForRecovery=*/copy);
  m_window.documentClosed();
  m_window.setTitle(u"Nibblet");
  showError(kIdsFileShortened, {shown});
  return true;
}

void HexDocument::abandon() {
  if (!m_file.isOpen()) {
    m_journal.release();
    return;
  }
  bool keep = m_sourcePath.empty() ? !m_changeLog.isEmpty() : m_unsaved || !m_leftJournals.empty();
  release(keep);
}

void HexDocument::undo() {
  if (!m_file.isOpen() || checkMapping()) return;
  const Texts& t = m_services.texts;
  if (m_changeLog.isEmpty()) {
    showMessage(m_services.messages, t.loadText(kIdsUndo), kStyleInformation, t.loadText(kIdsNoChanges));
    return;
  }
  m_changeLog.undoLast(m_file.bytes(), m_file.size());
  m_window.bytesRestored();
}

void HexDocument::undoAll() {
  if (!m_file.isOpen() || checkMapping()) return;
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
