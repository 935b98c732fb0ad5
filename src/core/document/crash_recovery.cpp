#include "core/document/crash_recovery.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "core/document/unfinished_saves.h"
#include "core/i18n/show_message.h"
#include "core/i18n/string_ids.h"
#include "core/platform/file_system.h"
#include "core/platform/mapped_file.h"
#include "core/platform/unicode.h"

namespace nibblet {
namespace {

// How far a file's change time may lie past the journal's last record: the record is written
// just before the byte, and both times come from the kernel's coarse clock.
constexpr std::int64_t kClockSlackSeconds = 2;

std::vector<std::string> crashJournalsIn(const std::string& folder) {
  std::vector<std::string> found;
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return found;
  while (dirent* e = ::readdir(dir)) {
    std::size_t n = std::strlen(e->d_name);
    if (n >= 8 && std::strncmp(e->d_name, "nbt", 3) == 0 && std::strcmp(e->d_name + n - 4, ".jnl") == 0)
      found.push_back(folder + "/" + e->d_name);
  }
  ::closedir(dir);
  std::sort(found.begin(), found.end());
  return found;
}

std::string copyOf(const std::string& journal) { return journal.substr(0, journal.size() - 4) + ".tmp"; }

// A journal names only the copy of its own name, in its own folder; the copy is then taken by
// that name, whatever the journal says.
bool confineCopy(EditJournalContents& c, const std::string& journal) {
  if (c.copyPath.empty()) return c.mode == JournalMode::OnTheSpot;
  std::string copy = copyOf(journal);
  auto name = [](const std::string& p) { return p.substr(p.rfind('/') + 1); };
  if (name(c.copyPath) != name(copy) || !isSameFolder(folderOf(c.copyPath), folderOf(journal))) return false;
  c.copyPath = copy;
  return true;
}

StatTime writtenAt(int fd) {
  struct stat st;
  if (::fstat(fd, &st) != 0) return {};
  return {st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
}

}  // namespace

bool CrashRecovery::isSameFile(const EditJournalContents& c, const FileIdentity& now, StatTime journalWritten) {
  if (!c.source.sameFile(now) || c.source.size != now.size) return false;
  if (c.source.hasBirth && now.hasBirth) return c.source.born == now.born;
  if (c.mode == JournalMode::TemporaryCopy) return c.source.changed == now.changed;
  StatTime limit = journalWritten;
  limit.seconds += kClockSlackSeconds;
  return now.changed >= c.source.changed && now.changed <= limit;
}

bool CrashRecovery::holdsRecordedBytes(const EditJournalContents& c, const std::uint8_t* bytes, std::uint32_t size) {
  std::vector<ChangeEntry> records = c.records;
  std::stable_sort(records.begin(), records.end(),
                   [](const ChangeEntry& a, const ChangeEntry& b) { return a.offset < b.offset; });
  for (std::size_t i = 0; i < records.size();) {
    std::uint32_t offset = records[i].offset;
    if (offset >= size) return false;
    bool known = false;
    for (; i < records.size() && records[i].offset == offset; ++i)
      known |= bytes[offset] == records[i].oldValue || bytes[offset] == records[i].newValue;
    if (!known) return false;
  }
  return true;
}

bool CrashRecovery::openOnTheSpotElsewhere(const std::string& folder, const std::string& path) {
  FileIdentity wanted;
  bool known = identityOf(-1, path, wanted) == 0;
  for (const std::string& journal : crashJournalsIn(folder)) {
    int fd = ::open(journal.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    // A journal no process holds is a dead run's (its lock goes with this descriptor).
    bool live = !lockIfAbandoned(fd);
    EditJournalContents c;
    bool names = live && EditJournal::read(fd, c, /*headerOnly=*/true) && c.mode == JournalMode::OnTheSpot &&
                 (c.sourcePath == path || (known && c.source.sameBirth(wanted)));
    ::close(fd);
    if (names) return true;
  }
  return false;
}

int CrashRecovery::question(int textId, std::initializer_list<FormatArg> args) {
  return showMessage(m_messages, m_texts.loadText(kIdsOpenFile), kStyleQuestion, m_texts.loadText(textId), args);
}

CrashRecovery::Answer CrashRecovery::ask(const EditJournalContents& c, const std::string& journal, int fd) {
  const std::u16string file = fromUtf8(c.sourcePath);
  FileIdentity now;
  bool reachable = identityOf(-1, c.sourcePath, now) == 0;
  bool same = reachable && isSameFile(c, now, writtenAt(fd));
  int button;
  if (c.mode == JournalMode::TemporaryCopy) {
    if (!c.unsaved || !isFile(fromUtf8(c.copyPath))) return Answer::Decline;  // nothing in it to recover
    button = question(same ? kIdsRecoverCopy : kIdsRecoverChangedCopy, {file});
    if (button == kButtonYes) return Answer::Take;
    return button == kButtonNo ? Answer::Decline : Answer::None;
  }
  if (c.entries.empty()) return Answer::Decline;
  if (same) {
    // The edits were written into the file itself: it must still hold what they recorded.
    MappedFile mapped;
    same = mapped.open(file, Access::ReadOnly) == 0 && holdsRecordedBytes(c, mapped.bytes(), mapped.size()) &&
           !mapped.isDamaged();
  }
  auto n = static_cast<std::uint32_t>(c.entries.size());
  if (same) {
    button = question(kIdsRecoverOnTheSpot, {file, n});
    if (button == kButtonYes) return Answer::Take;
    return button == kButtonNo ? Answer::Decline : Answer::None;
  }
  // Not this file's edits: they are never offered for it, and only deleted when the user says so.
  (void)journal;
  button = question(kIdsSpotJournalStale, {file, n});
  if (button == kButtonYes) return Answer::Decline;
  return button == kButtonNo ? Answer::Keep : Answer::None;
}

CrashRecovery::Offer CrashRecovery::offer(const std::string& folder, const std::string& path) {
  Offer result;
  for (const UnfinishedSave& save : finishSavesOf(folder, path)) {
    if (!save.changed) continue;
    showMessage(m_messages, m_texts.loadText(kIdsOpenFile), kStyleInformation, m_texts.loadText(kIdsSaveNotFinished),
                {fromUtf8(save.target)});
    result.unfinishedSaves.push_back(save.journal);
  }
  bool declinedCopy = false;
  for (const std::string& journal : crashJournalsIn(folder)) {
    if (result.outcome != Outcome::None) break;  // the rest are left for a later open
    int fd = openAbandoned(journal, O_RDWR);
    if (fd < 0) continue;
    EditJournalContents c;
    // Unreadable journals are the start's to set aside; those of other files are not looked into.
    if (!EditJournal::read(fd, c, /*headerOnly=*/true) || c.sourcePath != path || !EditJournal::read(fd, c) ||
        !confineCopy(c, journal)) {
      ::close(fd);
      continue;
    }
    switch (ask(c, journal, fd)) {
      case Answer::Take:
        result.outcome = c.mode == JournalMode::TemporaryCopy ? Outcome::Copy : Outcome::OnTheSpot;
        result.fd = fd;
        result.journal = journal;
        result.contents = std::move(c);
        continue;
      case Answer::Decline:
        // Declined, or nothing in it to recover: the journal and its copy go.
        declinedCopy |= c.mode == JournalMode::TemporaryCopy && c.unsaved;
        if (!c.copyPath.empty()) ::unlink(c.copyPath.c_str());
        ::unlink(journal.c_str());
        break;
      case Answer::Keep:
        break;
      case Answer::None:
        // A question ended without an answer (the program told to quit) discards nothing.
        result.outcome = Outcome::Refused;
        break;
    }
    ::close(fd);
  }
  // A save that could not be finished only carried the copy's bytes: declined with the copy,
  // it goes too.
  if (declinedCopy && result.outcome == Outcome::None) {
    for (const std::string& journal : result.unfinishedSaves) dropUnfinishedSave(journal);
    result.unfinishedSaves.clear();
  }
  return result;
}

}  // namespace nibblet
