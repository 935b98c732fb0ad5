#include "core/document/hex_document.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "core/document/path_hash.h"
#include "core/document/replaced_file.h"
#include "core/document/save_file.h"
#include "core/document/save_in_place.h"
#include "core/document/unfinished_saves.h"
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

int HexDocument::syncCopy() {
  if (!m_copyUnsynced) return 0;
  // A large copy may take a while to reach a slow card: it goes under the progress bar.
  WaitCursorScope busy(m_services.waitCursor);
  if (int rc = syncInPieces(m_file.descriptor(), m_file.size(), busy.report()); rc != 0) return rc;
  m_copyUnsynced = false;
  return 0;
}

void HexDocument::changeAppended(const ChangeEntry& entry) {
  syncCopy();
  m_journal.changeAppended(entry);
  m_touched.push_back(entry.offset);
  m_unsaved = true;
}

void HexDocument::changesAppended(std::span<const ChangeEntry> entries) {
  syncCopy();
  m_journal.changesAppended(entries);
  for (const ChangeEntry& e : entries) m_touched.push_back(e.offset);
  m_unsaved = true;
}

bool HexDocument::mayWrite() {
  if (m_readOnly) {
    const Texts& t = m_services.texts;
    showMessage(m_services.messages, t.loadText(kIdsOpenFile), kStyleInformation, t.loadText(kIdsShownReadOnly),
                {m_path});
    return false;
  }
  // The copy is made without waiting for the disk: until its first edit it holds nothing a power
  // cut could take. Before that edit it goes to the disk, so a copy offered for recovery is
  // never one whose bytes never got there.
  if (int error = syncCopy(); error != 0) {
    // A stop on Cancel writes nothing and says nothing.
    if (error != ECANCELED) showError(kIdsErrorWithFile, {error, m_path});
    return false;
  }
  // On the spot the bytes go into the mapped file: once that is no longer the file at the path,
  // nothing more is written into it until the user has said what becomes of the edits.
  if (!m_replaced && isTemporaryCopy()) return true;
  if (!m_replaced && m_file.isOpen() && isPathReplaced()) m_replaced = true;
  return !m_replaced;
}

void HexDocument::changesUndone(std::span<const ChangeEntry> newestFirst) {
  for (const ChangeEntry& e : newestFirst) m_touched.push_back(e.offset);
  m_journal.changesUndone(newestFirst);
  if (m_savedOnce) m_unsaved = true;
  else if (newestFirst.size() >= m_changeLog.count()) m_unsaved = false;  // the copy is the file again
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
    // A backup the user stopped opens nothing and shows nothing.
    if (error == ECANCELED || (error != 0 && ask(kIdsOpenFile, kIdsBackupFailed, {m_path, error}) != kButtonYes)) {
      m_path.clear();
      m_window.setTitle(u"Nibblet");
      return false;
    }
  }
  m_workFolder = workFolderOf(m_services.settings);
  int workError = prepareWorkFolder(m_workFolder);
  m_journalCreateError = 0;
  if (workError != 0) {
    // Only a folder nobody else can write into may hold copies and journals. Without one a
    // document opens on the spot all the same, only without its crash journal, which the user
    // is told of (once: a folder refused as unsafe has been named already).
    if (workError == EPERM) showError(kIdsUnsafeWorkFolder, {m_workFolder});
    else if (m_services.settings.openMode == 1) showOpenError(m_path, workError);
    else m_journalCreateError = workError;
    m_workFolder.clear();
    if (m_services.settings.openMode == 1) {
      m_path.clear();
      m_window.setTitle(u"Nibblet");
      return false;
    }
  }
  bool asCopy = m_services.settings.openMode == 1;
  if (!m_workFolder.empty() && !asCopy &&
      CrashRecovery::openOnTheSpotElsewhere(toUtf8(m_workFolder), toUtf8(m_path))) {
    // Edits made on the spot by two programs would overwrite each other's: this one takes a
    // temporary copy, or only looks.
    const Texts& t = m_services.texts;
    int answer = showMessage(m_services.messages, t.loadText(kIdsOpenFile), kStyleQuestionCancel,
                             t.loadText(kIdsOpenElsewhere), {m_path});
    if (answer == kButtonNo) return openReadOnly();
    if (answer != kButtonYes) {
      forgetPath();
      return false;
    }
    asCopy = true;
  }
  if (!m_workFolder.empty()) {
    CrashRecovery recovery(m_services.texts, m_services.messages);
    CrashRecovery::Offer offer = recovery.offer(toUtf8(m_workFolder), toUtf8(m_path));
    switch (offer.outcome) {
      case CrashRecovery::Outcome::Copy: return openRecoveredCopy(offer);
      case CrashRecovery::Outcome::OnTheSpot: return openOnTheSpot(&offer);
      case CrashRecovery::Outcome::Refused:
        forgetPath();
        return false;
      case CrashRecovery::Outcome::None: break;
    }
  }
  return asCopy ? openTemporaryCopy() : openOnTheSpot(nullptr);
}

void HexDocument::forgetPath() {
  m_path.clear();
  m_window.setTitle(u"Nibblet");
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

bool HexDocument::openRecoveredCopy(CrashRecovery::Offer& found) {
  // The copy and its journal keep their names: renaming them one after the other could leave a
  // journal that names no copy if this run died in between. Their locks make them this run's.
  m_sourcePath = m_path;
  m_path = fromUtf8(found.contents.copyPath);
  int fd = ::open(found.contents.copyPath.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
  int error = fd < 0 ? errno : 0;
  // The copy is a dead run's, like its journal: no running process may hold it.
  if (fd >= 0 && !lockIfAbandoned(fd)) error = EBUSY;
  if (error == 0) error = m_journal.adopt(found.fd, found.journal, found.contents.validBytes);
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
  for (const ChangeEntry& e : found.contents.records) m_touched.push_back(e.offset);
  m_unsaved = true;
  // The crashed run's journal may lack its last records: the first save writes the whole copy.
  m_saveWhole = true;
  loadRecoveredLog(found.contents.entries, /*journalThem=*/false);
  // Saves of this copy that were cut short are stale once the whole copy is saved.
  m_leftJournals = found.unfinishedSaves;
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

bool HexDocument::openOnTheSpot(CrashRecovery::Offer* recovered) {
  if (!mapDocument()) {
    // The dead run's journal stays as it was, for a later open.
    if (recovered) ::close(recovered->fd);
    return false;
  }
  identityOf(m_file.descriptor(), "", m_sourceIdentity);
  if (recovered) {
    // The dead run's journal is continued: it holds the recovered entries already, and is never
    // without them, however this run ends.
    m_journalCreateError = m_journal.adopt(recovered->fd, recovered->journal, recovered->contents.validBytes);
  } else if (!m_workFolder.empty()) {
    m_journalCreateError = m_journal.create(freeJournalName(), JournalMode::OnTheSpot, toUtf8(m_path), "",
                                            m_sourceIdentity);
  }
  finishOpen(false);
  if (recovered) loadRecoveredLog(recovered->contents.entries, /*journalThem=*/false);
  m_unsaved = false;
  m_services.recentFiles.add(m_services.key, m_path);
  return true;
}

std::string HexDocument::freeJournalName() const {
  // A journal a dead run of the same number left for this file (kept at the user's word) is
  // never replaced: the new one takes the next free name.
  std::string stem = toUtf8(journalName(temporaryCopyName(m_workFolder, m_services.instanceValue, m_path)));
  stem.resize(stem.size() - 4);
  std::string name = stem + ".jnl";
  for (int n = 2; entryKind(fromUtf8(name)) != FileKind::Missing && n < 100; ++n)
    name = stem + "-" + std::to_string(n) + ".jnl";
  return name;
}

bool HexDocument::openReadOnly() {
  // Mapped for reading only, with no journal: nothing of this run can reach the file.
  if (int error = m_file.open(m_path, Access::ReadOnly); error != 0) {
    showOpenError(m_path, error);
    forgetPath();
    return false;
  }
  m_readOnly = true;
  m_window.setTitle(formatText(m_services.texts.loadText(kIdsReadOnlyTitle), {fileNamePart(m_path)}));
  finishOpen(false);
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
    error = copyFileKeepingOpen(m_sourcePath, m_path, /*ownerOnly=*/true, fd, busy.report(),
                                CopyDurability::Deferred);
  }
  if (error != 0) {
    m_journal.discardUnused();
    // A copy the user stopped is gone already; nothing is opened and nothing is shown.
    if (error != ECANCELED) showOpenError(m_sourcePath, error);
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
  m_copyUnsynced = true;
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
  bool inWorkFolder = false;
  {
    WaitCursorScope busy(m_services.waitCursor);
    auto damaged = [this] { return m_file.isDamaged(); };
    if (missing) {
      // Nothing is left to write into: the file is made anew, whole, beside its name.
      error = writeFileReplacing(m_sourcePath, m_file.bytes(), m_file.size(), damaged, busy.report());
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
      request.crashJournal = m_journal.path();
      request.damaged = damaged;
      if (request.whole) error = m_file.flush();
      if (error == 0) {
        request.offsets = &m_touched;
        request.progress = busy.report();
        SaveOutcome outcome;
        error = saveInPlace(request, outcome);
        after = outcome.after;
        inWorkFolder = outcome.inWorkFolder;
        // A save that failed halfway leaves its journal for the next start, which needs the
        // copy to finish it: the copy is then kept whatever Close is answered.
        if (!outcome.leftJournal.empty()) m_leftJournals.push_back(outcome.leftJournal);
      }
    }
  }
  if (error == 0 && m_file.isDamaged()) error = EIO;
  if (error == ECANCELED) return false;  // the user stopped it; the file holds its old bytes
  if (error != 0) {
    // A full or broken work folder is named as such: the user's file was not touched.
    if (inWorkFolder) showError(kIdsSaveWorkFolderError, {error, m_workFolder, m_sourcePath});
    else showMessage(m_services.messages, t.loadText(kIdsError), kStyleError, t.loadText(kIdsErrorWithFile),
                     {error, m_sourcePath});
    return false;
  }
  m_sourceIdentity = after;
  m_touched.clear();
  m_unsaved = false;
  m_savedOnce = true;
  m_saveWhole = false;
  // The file now holds every byte of the copy: journals of earlier failed saves are stale.
  for (const std::string& left : m_leftJournals) dropUnfinishedSave(left);
  m_leftJournals.clear();
  m_journal.saved(after);
  showMessage(m_services.messages, t.loadText(kIdsSave), kStyleInformation, t.loadText(kIdsFileSaved),
              {m_sourcePath});
  return true;
}

bool HexDocument::close() {
  if (checkMapping()) return true;
  if (m_file.isOpen() && !isTemporaryCopy() && (m_replaced || isPathReplaced())) {
    m_replaced = true;
    if (checkReplaced()) return true;  // the edited file was kept as a copy, and closed
    if (m_replaced) return false;      // not answered, or not done: the document stays
  }
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
    if (answer == kButtonNo) m_changeLog.undoAll(m_file.bytes(), m_file.size());
  }
  if (checkMapping()) return true;
  bool keep = !m_leftJournals.empty();
  if (m_file.isOpen() && !isTemporaryCopy() && !m_readOnly) {
    // The edits on the spot are in the file's pages; a write-back that fails (a card pulled
    // out, a full share) is said, and the journal of the edits is kept.
    int error = syncOnTheSpot();
    if (error != 0) {
      showError(kIdsErrorWithFile, {error, m_path});
      keep = keep || !m_changeLog.isEmpty();
    }
  }
  m_window.documentClosing();
  release(keep);
  m_window.documentClosed();
  m_window.setTitle(u"Nibblet");
  return true;
}

int HexDocument::syncOnTheSpot() {
  int error = m_file.flush();
  if (error == 0 && ::fsync(m_file.descriptor()) != 0) error = lastError();
  return error;
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
  m_copyUnsynced = false;
  m_journalErrorShown = false;
  m_journalCreateError = 0;
  m_replaced = false;
  m_replacedAsked = false;
  m_readOnly = false;
  m_leftJournals.clear();
}

bool HexDocument::checkJournal() {
  if (!m_file.isOpen() || !hasUnreportedJournalError()) return false;
  m_journalErrorShown = true;
  std::u16string folder = m_workFolder.empty() ? workFolderOf(m_services.settings) : m_workFolder;
  showError(kIdsJournalFailed, {m_sourcePath.empty() ? m_path : m_sourcePath, journalError(), folder});
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

bool HexDocument::needsIdleCheck() {
  if (isDamaged() || hasUnreportedJournalError()) return true;
  if (!m_file.isOpen() || isTemporaryCopy()) return false;
  if (!m_replaced) {
    // A look at the path costs a system call, which a share may make slow: not at every event.
    auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch()).count();
    if (now - m_pathCheckedAt < 250) return false;
    m_pathCheckedAt = now;
    m_replaced = isPathReplaced();
  }
  return m_replaced && !m_replacedAsked;
}

int HexDocument::abandon() {
  if (!m_file.isOpen()) {
    m_journal.release();
    return 0;
  }
  int error = isTemporaryCopy() || m_readOnly ? 0 : syncOnTheSpot();
  bool keep = m_sourcePath.empty() ? !m_changeLog.isEmpty() : m_unsaved || !m_leftJournals.empty();
  release(keep);
  return error;
}

void HexDocument::undo() {
  if (!m_file.isOpen() || checkMapping() || checkReplaced() || m_replaced) return;
  const Texts& t = m_services.texts;
  if (m_changeLog.isEmpty()) {
    showMessage(m_services.messages, t.loadText(kIdsUndo), kStyleInformation, t.loadText(kIdsNoChanges));
    return;
  }
  m_changeLog.undoLast(m_file.bytes(), m_file.size());
  m_window.bytesRestored();
}

void HexDocument::undoAll() {
  if (!m_file.isOpen() || checkMapping() || checkReplaced() || m_replaced) return;
  const Texts& t = m_services.texts;
  std::uint32_t n = m_changeLog.count();
  if (n == 0) {
    showMessage(m_services.messages, t.loadText(kIdsUndo), kStyleInformation, t.loadText(kIdsNoChanges));
    return;
  }
  if (ask(kIdsUndoAll, kIdsUndoAllQuestion, {n}) != kButtonYes) return;
  m_changeLog.undoAll(m_file.bytes(), m_file.size());
  m_window.bytesRestored();
}

bool HexDocument::isPathReplaced() const {
  if (!m_file.isOpen() || isTemporaryCopy() || m_readOnly) return false;
  FileIdentity atPath, mapped;
  if (identityOf(m_file.descriptor(), "", mapped) != 0) return false;
  return identityOf(-1, toUtf8(m_path), atPath) != 0 || !atPath.sameFile(mapped);
}

bool HexDocument::checkReplaced(bool askAgain) {
  if (!m_file.isOpen() || isTemporaryCopy()) return false;
  if (!m_replaced) m_replaced = isPathReplaced();
  if (!m_replaced || (!askAgain && m_replacedAsked)) return false;
  m_replacedAsked = true;
  ReplacedFile replaced(m_services.texts, m_services.messages, m_services.waitCursor);
  switch (replaced.settle(m_path, m_changeLog, m_file)) {
    case ReplacedFile::Outcome::NotSettled: return false;
    case ReplacedFile::Outcome::WrittenAtPath:
      remapToPath();
      return !m_file.isOpen();
    case ReplacedFile::Outcome::KeptAsCopy: break;
  }
  // The copy holds every edit: the document lets go of the old file.
  m_window.documentClosing();
  release(/*keepForRecovery=*/false);
  m_window.documentClosed();
  m_window.setTitle(u"Nibblet");
  return true;
}

void HexDocument::remapToPath() {
  m_window.documentClosing();
  m_file.close();
  int error = m_file.open(m_path, Access::ReadWrite);
  if (error != 0) {
    std::u16string path = m_path;
    release(/*keepForRecovery=*/false);
    m_window.documentClosed();
    m_window.setTitle(u"Nibblet");
    showOpenError(path, error);
    return;
  }
  identityOf(m_file.descriptor(), "", m_sourceIdentity);
  // The journal now describes the file at the path: made anew (under the same name), with the
  // change log's entries.
  if (m_journal.isOpen()) {
    std::string journalPath = m_journal.path();
    m_journalCreateError = m_journal.create(journalPath, JournalMode::OnTheSpot, toUtf8(m_path), "", m_sourceIdentity);
    std::vector<ChangeEntry> entries(m_changeLog.count());
    for (std::uint32_t i = 0; i < m_changeLog.count(); ++i) entries[i] = m_changeLog.entry(i);
    m_journal.changesAppended(entries);
  }
  m_replaced = false;
  m_replacedAsked = false;
  m_window.documentOpened(false);
  m_window.bytesRestored();
}

}  // namespace nibblet
