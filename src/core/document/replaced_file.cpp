#include "core/document/replaced_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "core/document/save_file.h"
#include "core/i18n/show_message.h"
#include "core/i18n/string_ids.h"
#include "core/platform/file_system.h"
#include "core/platform/mapped_file.h"
#include "core/platform/posix_file.h"
#include "core/platform/unicode.h"

namespace nibblet {

std::u16string keptCopyName(const std::u16string& path) {
  std::u16string name = path + u".edited";
  for (int n = 2; entryKind(name) != FileKind::Missing && n < 1000; ++n) name = path + u".edited" + fromAscii(std::to_string(n));
  return name;
}

int writeEditsInto(const std::u16string& path, const ChangeLog& log, const std::uint8_t* bytes, std::uint32_t size,
                   bool& fits) {
  fits = false;
  MappedFile file;
  int rc = file.open(path, Access::ReadWrite);
  if (rc != 0) return rc;
  if (file.size() != size) return 0;
  // Each edited offset with its value from before the first edit.
  std::vector<ChangeEntry> firsts(log.count());
  for (std::uint32_t i = 0; i < log.count(); ++i) firsts[i] = log.entry(i);
  std::stable_sort(firsts.begin(), firsts.end(),
                   [](const ChangeEntry& a, const ChangeEntry& b) { return a.offset < b.offset; });
  firsts.erase(std::unique(firsts.begin(), firsts.end(),
                           [](const ChangeEntry& a, const ChangeEntry& b) { return a.offset == b.offset; }),
               firsts.end());
  std::uint8_t* target = file.bytes();
  for (const ChangeEntry& e : firsts)
    if (e.offset >= size || (target[e.offset] != e.oldValue && target[e.offset] != bytes[e.offset])) return 0;
  if (file.isDamaged()) return EIO;
  for (const ChangeEntry& e : firsts) target[e.offset] = bytes[e.offset];
  fits = true;
  rc = file.flush();
  if (rc == 0 && ::fsync(file.descriptor()) != 0) rc = lastError();
  return rc;
}

void ReplacedFile::tell(int style, int textId, std::initializer_list<FormatArg> args) {
  showMessage(m_messages, m_texts.loadText(style == kStyleError ? kIdsError : kIdsSave), style,
              m_texts.loadText(textId), args);
}

ReplacedFile::Outcome ReplacedFile::settle(const std::u16string& path, const ChangeLog& log, const MappedFile& edited) {
  FileIdentity now;
  bool there = identityOf(-1, toUtf8(path), now) == 0;
  std::u16string copy = keptCopyName(path);
  int answer = showMessage(m_messages, m_texts.loadText(kIdsSave), kStyleQuestion,
                           m_texts.loadText(there ? kIdsFileReplaced : kIdsFileGone), {path, log.count(), path, copy});
  if (answer != kButtonYes && answer != kButtonNo) return Outcome::NotSettled;
  auto damaged = [&edited] { return edited.isDamaged(); };
  bool fits = true;
  if (answer == kButtonYes) {
    int error = 0;
    if (there) {
      error = writeEditsInto(path, log, edited.bytes(), edited.size(), fits);
    } else {
      WaitCursorScope busy(m_cursor);
      error = writeFileReplacing(path, edited.bytes(), edited.size(), damaged, busy.report());
    }
    if (error == ECANCELED) return Outcome::NotSettled;
    if (error != 0) {
      tell(kStyleError, kIdsErrorWithFile, {error, path});
      return Outcome::NotSettled;
    }
    if (fits) return Outcome::WrittenAtPath;
  }
  // Kept whole beside it, with the old file's permissions.
  struct stat st;
  std::uint32_t mode = ::fstat(edited.descriptor(), &st) == 0 ? (st.st_mode & 0777) | S_IWUSR : 0644;
  int error = 0;
  {
    WaitCursorScope busy(m_cursor);
    error = writeNewFile(copy, edited.bytes(), edited.size(), mode, damaged, busy.report());
  }
  if (error == ECANCELED) return Outcome::NotSettled;
  if (error != 0) {
    tell(kStyleError, kIdsErrorWithFile, {error, copy});
    return Outcome::NotSettled;
  }
  if (fits) tell(kStyleInformation, kIdsKeptAsCopy, {copy});
  else tell(kStyleInformation, kIdsReplacedNotWritten, {path, copy});
  return Outcome::KeptAsCopy;
}

}  // namespace nibblet
