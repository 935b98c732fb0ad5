#include "core/diff/diff_commands.h"

#include <cerrno>
#include <new>
#include <vector>

#include "core/diff/compare.h"
#include "core/diff/diff_file.h"
#include "core/diff/diff_import.h"
#include "core/i18n/show_message.h"
#include "core/i18n/string_ids.h"
#include "core/platform/file_system.h"
#include "core/platform/mapped_file.h"
#include "core/platform/unicode.h"

namespace nibblet {

DiffCommands::DiffCommands(HexDocument& document, DiffServices services, DiffWindow& window)
    : m_document(document), m_services(services), m_window(window) {}

int DiffCommands::show(int captionId, int style, int textId, std::initializer_list<FormatArg> args) {
  const Texts& t = m_services.texts;
  return showMessage(m_services.messages, t.loadText(captionId), style, t.loadText(textId), args);
}

void DiffCommands::showStorageError(AppendResult result) {
  if (result == AppendResult::AllocError)
    showMessage(m_services.messages, u"", kStylePlain, u"CLPA: alloc error!");
  else if (result == AppendResult::ReallocError)
    showMessage(m_services.messages, u"", kStylePlain, u"CLPA: realloc error!");
}

const std::u16string& DiffCommands::userPath() const {
  return m_document.isTemporaryCopy() ? m_document.sourcePath() : m_document.path();
}

std::string DiffCommands::multiByte(const std::u16string& text) const {
  std::string out;
  if (!m_services.codePage.toMultiByte(text, out)) out = toUtf8(text);
  return out;
}

void DiffCommands::compare() {
  // Forgotten first, so a cancelled Compare also leaves no differences behind.
  m_document.diffSet().clear();
  if (!m_window.hasView()) return;
  m_window.rebuildText();
  FileBrowserOptions options;
  options.title = m_services.texts.loadText(kIdsOpenFile);
  options.mustExist = true;
  options.hideRomFiles = true;
  options.filter = u"*.*";
  options.startFolder = m_services.lastFolder;
  std::u16string chosen;
  if (m_window.browse(options, chosen) != kBrowseOk) return;
  compareWith(chosen);
}

bool DiffCommands::hasBackup() const {
  return m_document.isOpen() && !m_document.backupPath().empty() && isFile(m_document.backupPath());
}

void DiffCommands::compareWithBackup() {
  m_document.diffSet().clear();
  if (!m_window.hasView()) return;
  m_window.rebuildText();
  if (m_document.backupPath().empty()) return;
  compareWith(m_document.backupPath());
}

void DiffCommands::compareWith(const std::u16string& otherPath) {
  std::u16string& comparePath = m_document.comparePath();
  comparePath = otherPath;
  MappedFile other;
  int error = other.open(comparePath, Access::ReadOnly);
  if (error != 0) {
    show(kIdsError, kStyleError, kIdsFileOpenError, {comparePath, error});
    comparePath.clear();
    return;
  }
  // Sizes are shown as their true values; the message names the user's file, not a copy.
  std::uint32_t size = m_document.size();
  if (other.size() != size) {
    show(kIdsError, kStylePlain, kIdsDifferentSizes, {userPath(), size, comparePath, other.size()});
    comparePath.clear();
    return;
  }
  DiffSet& diffs = m_document.diffSet();
  AppendResult stored;
  bool cancelled;
  {
    WaitCursorScope busy(m_services.waitCursor);
    cancelled = compareBytes(m_document.bytes(), other.bytes(), size, diffs, stored, busy.report()) == ECANCELED ||
                busy.cancelled();
  }
  // A second file shortened by another program while it was read gave zeros, not its bytes.
  bool shortened = other.isDamaged();
  other.close();
  if (cancelled) {
    // A comparison the user stopped leaves no difference behind, moves nothing and says nothing.
    diffs.clear();
    comparePath.clear();
    m_window.rebuildText();
    return;
  }
  if (shortened) {
    diffs.clear();
    m_window.rebuildText();
    show(kIdsError, kStyleError, kIdsFileOpenError, {comparePath, EIO});
    comparePath.clear();
    return;
  }
  m_window.rebuildText();
  showStorageError(stored);
  std::uint32_t n = diffs.count();
  if (n == 0) {
    show(kIdsCompare, kStylePlain, kIdsNoDifferences);
    return;
  }
  show(kIdsCompare, kStylePlain, kIdsDifferencesFound, {n});
  if (const DiffEntry* first = diffs.next()) m_window.gotoOffset(first->offset);
}

void DiffCommands::clear() {
  m_document.diffSet().clear();
  if (m_window.hasView()) m_window.rebuildText();
}

void DiffCommands::gotoNextDiff() {
  if (!m_window.hasView()) return;
  if (const DiffEntry* e = m_document.diffSet().next()) m_window.gotoOffset(e->offset);
}

void DiffCommands::exportList(bool differences) {
  if (!m_window.hasView()) return;
  const ChangeLog& log = m_document.changeLog();
  const DiffSet& diffs = m_document.diffSet();
  if ((differences ? diffs.count() : log.count()) == 0) {
    show(kIdsSaveDifferences, kStyleInformation, differences ? kIdsBufferEmpty : kIdsNoChanges);
    return;
  }
  std::u16string name = fileNamePart(userPath());
  FileBrowserOptions options;
  options.title = m_services.texts.loadText(kIdsSaveFile);
  options.fileNameText = name + u".txt";
  options.defaultExtension = u".txt";
  options.filter = u"*.txt";
  options.startFolder = m_services.lastFolder;
  std::u16string chosen;
  if (m_window.browse(options, chosen) != kBrowseOk || chosen.empty()) return;

  DiffFileHeader header;
  header.fileName = multiByte(name);
  header.hasSecondFile = differences;
  if (differences) header.secondFileName = multiByte(fileNamePart(m_document.comparePath()));
  header.size = m_document.size();
  int error = 0;
  // Replacing a file the program holds open would leave its edits in a file that no longer
  // has a name.
  const std::u16string* held[] = {&m_document.path(), &m_document.sourcePath(), &m_document.comparePath()};
  for (const std::u16string* open : held)
    if (!open->empty() && isSameFile(chosen, *open)) error = EBUSY;
  if (error == 0) {
    WaitCursorScope busy(m_services.waitCursor);
    error = differences ? writeDiffFile(diffs, chosen, header, busy.report())
                        : writeDiffFile(log, chosen, header, busy.report());
  }
  // An export the user stopped wrote nothing under the chosen name and shows nothing.
  if (error != 0 && error != ECANCELED) show(kIdsSaveDifferences, kStyleError, kIdsErrorWithFile, {error, chosen});
}

void DiffCommands::importDiff() {
  if (!m_window.hasView()) return;
  FileBrowserOptions options;
  options.title = m_services.texts.loadText(kIdsOpenFile);
  options.mustExist = true;
  options.filter = u"*.*";
  options.startFolder = m_services.lastFolder;
  std::u16string chosen;
  if (m_window.browse(options, chosen) != kBrowseOk || chosen.empty()) return;

  std::vector<DiffLine> lines;
  int error;
  {
    WaitCursorScope busy(m_services.waitCursor);
    error = readDiffFile(chosen, lines, busy.report());
  }
  if (error == ECANCELED) return;  // the user stopped the reading: nothing was written
  if (error != 0) {
    show(kIdsImport, kStyleError, kIdsErrorWithFileNoDot, {error, chosen});
    return;
  }
  if (lines.empty()) {
    show(kIdsImport, kStyleError, kIdsInvalidDiffFile);
    return;
  }
  std::uint8_t* bytes = m_document.bytes();
  std::uint32_t size = m_document.size();
  DiffDirection direction;
  int question;
  if (firstMismatch(lines, bytes, size, DiffDirection::Apply) == lines.size()) {
    direction = DiffDirection::Apply;
    question = kIdsImportPreview;
  } else if (firstMismatch(lines, bytes, size, DiffDirection::TakeBack) == lines.size()) {
    direction = DiffDirection::TakeBack;
    question = kIdsImportTakeBack;
  } else {
    show(kIdsImport, kStyleError, kIdsDiffNotApplicable);
    return;
  }
  // A document whose file was replaced under it takes no bytes until the user has said what
  // becomes of its edits (asked when the program is idle).
  if (!m_document.changeLog().mayWrite()) return;
  DiffSummary summary = summarize(lines);
  if (show(kIdsImport, kStyleQuestion, question, {summary.count, summary.lowest, summary.highest}) != kButtonYes)
    return;
  AppendResult stored;
  bool cancelled;
  {
    WaitCursorScope busy(m_services.waitCursor);
    stored = writeLines(lines, bytes, size, m_document.changeLog(), direction, busy.report());
    cancelled = busy.cancelled();
  }
  m_window.rebuildText();
  // An import the user stopped has taken back what it wrote: the document is as it was.
  if (cancelled) return;
  showStorageError(stored);
  show(kIdsImport, kStyleInformation, kIdsChangedBytes, {summary.count});
}

}  // namespace nibblet
