#include "core/document/unfinished_saves.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

#include "core/document/edit_journal.h"
#include "core/document/save_journal.h"
#include "core/document/target_file.h"
#include "core/platform/posix_file.h"

namespace nibblet {
namespace {

enum class Finish { Done, Away, Changed, Damaged };

std::string nameOf(const std::string& path) {
  auto cut = path.rfind('/');
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

bool hasForm(const std::string& name, const char* prefix, const char* suffix) {
  return name.size() > std::strlen(prefix) + std::strlen(suffix) && name.rfind(prefix, 0) == 0 &&
         name.ends_with(suffix) && name.find('/') == std::string::npos;
}

// A journal may name only files of the folder it lies in, and only by the names the program
// gives them: it can never make the start read, write or delete any other file of the user's.
// The names are taken in this folder, however it was spelled when the journal was written.
bool confine(SaveJournalHeader& h, const std::string& journal, const std::string& folder) {
  auto inFolder = [&folder](std::string& path, const char* prefix, const char* suffix) {
    if (path.empty()) return true;
    std::string name = nameOf(path);
    if (!hasForm(name, prefix, suffix) || !isSameFolder(folderOf(path), folder)) return false;
    path = folder + "/" + name;
    return true;
  };
  if (!inFolder(h.crashJournal, "nbt", ".jnl")) return false;
  if (h.kind == SaveKind::Ranges) return true;
  if (nameOf(h.oldContent) != nameOf(oldContentName(journal))) return false;
  return inFolder(h.oldContent, "nbs", ".old") && inFolder(h.copy, "nbt", ".tmp");
}

// True when every byte of `target` (now `size` long) holds the old content's byte or the new
// one's at its offset: what a whole save cut short, or put back halfway, leaves.
bool wholeHoldsOldOrNew(int target, std::uint64_t size, int old, std::uint64_t oldSize, int fresh,
                        std::uint64_t newSize) {
  if (size < std::min(oldSize, newSize) || size > std::max(oldSize, newSize)) return false;
  constexpr std::size_t kPiece = WindowReader::kWindow / 2;
  WindowReader now(target, size), before(old, oldSize), after(fresh, newSize);
  for (std::uint64_t at = 0; at < size;) {
    std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(kPiece, size - at));
    // Where only one of the two contents reaches, only that one counts.
    std::size_t inOld = static_cast<std::size_t>(oldSize > at ? std::min<std::uint64_t>(n, oldSize - at) : 0);
    std::size_t inNew = static_cast<std::size_t>(newSize > at ? std::min<std::uint64_t>(n, newSize - at) : 0);
    const std::uint8_t* b = now.at(at, n);
    const std::uint8_t* o = inOld ? before.at(at, inOld) : nullptr;
    const std::uint8_t* f = inNew ? after.at(at, inNew) : nullptr;
    if (!b || (inOld && !o) || (inNew && !f)) return false;
    for (std::size_t i = 0; i < n; ++i)
      if (!(i < inOld && b[i] == o[i]) && !(i < inNew && b[i] == f[i])) return false;
    at += n;
  }
  return true;
}

int openKept(const std::string& path, const FileIdentity& expected) {
  int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  FileIdentity now;
  if (fd >= 0 && (identityOf(fd, "", now) != 0 || !now.sameFile(expected) || now.size != expected.size)) {
    ::close(fd);
    fd = -1;
  }
  return fd;
}

Finish finishOne(int journal, SaveJournalHeader& h) {
  TargetFile target;
  if (target.open(h.target) != 0) return Finish::Away;
  FileIdentity now;
  if (identityOf(target.fd(), "", now) != 0) return Finish::Away;
  if (!now.sameBirth(h.targetBefore)) return Finish::Changed;
  int rc = 0;
  if (h.kind == SaveKind::Ranges) {
    if (now.size != h.targetBefore.size || !holdsOldOrNew(journal, h, target.fd())) return Finish::Changed;
    rc = target.makeWritable();
    if (rc == 0) rc = writeRanges(journal, h, target.fd(), Direction::Forward);
  } else {
    // Without the old content the file cannot be checked, and without the copy there is
    // nothing to finish it with: both are needed before anything is written.
    int old = openKept(h.oldContent, h.oldIdentity);
    int fresh = openKept(h.copy, h.copyIdentity);
    bool holds = old >= 0 && fresh >= 0 &&
                 wholeHoldsOldOrNew(target.fd(), now.size, old, h.oldIdentity.size, fresh, h.copyIdentity.size);
    if (holds) {
      rc = target.makeWritable();
      if (rc == 0) rc = copyInPlace(fresh, target.fd(), h.copyIdentity.size);
      if (rc == 0 && ::ftruncate(target.fd(), static_cast<off_t>(h.copyIdentity.size)) != 0) rc = lastError();
    }
    if (old >= 0) ::close(old);
    if (fresh >= 0) ::close(fresh);
    if (!holds) return Finish::Changed;
  }
  if (rc == 0 && ::fsync(target.fd()) != 0) rc = lastError();
  // The mode the save took away, or the one this start had to take away itself.
  std::uint32_t mode = h.restoreMode != kNoModeChange ? h.restoreMode : target.modeToRestore();
  if (rc == 0 && mode != kNoModeChange) rc = target.setMode(mode);
  // A write that failed (a card pulled out again) is tried again at a later start.
  if (rc != 0) return Finish::Away;
  FileIdentity after;
  // The run's crash journal learns that its copy is saved: its next open offers nothing to
  // recover, and a save asks no question about a file it wrote itself.
  if (!h.crashJournal.empty() && identityOf(target.fd(), "", after) == 0) EditJournal::markSaved(h.crashJournal, after);
  return Finish::Done;
}

std::int64_t ageInDays(int fd) {
  struct stat st;
  if (::fstat(fd, &st) != 0) return 0;
  return std::max<std::int64_t>(0, (static_cast<std::int64_t>(std::time(nullptr)) - st.st_mtime) / 86400);
}

// Runs `f(path)` for each name in `folder` that `match` accepts.
template <typename Match, typename F>
void forEachName(const std::string& folder, Match match, F f) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  std::vector<std::string> names;
  while (dirent* e = ::readdir(dir))
    if (match(e->d_name)) names.push_back(e->d_name);
  ::closedir(dir);
  for (const std::string& name : names) f(folder + "/" + name);
}

// Finishes one journal no process holds, when `wanted` accepts its header; adds it to
// `report`. An unreadable one is set aside only when `setAsideDamaged`.
template <typename Wanted>
void handle(const std::string& folder, const std::string& path, Wanted wanted, bool setAsideDamaged,
            SaveJournalReport& report) {
  int fd = openAbandoned(path, O_RDONLY);
  if (fd < 0) return;
  SaveJournalHeader h;
  bool readable = readSaveJournal(fd, h) && confine(h, path, folder);
  if (readable ? !wanted(h) : !setAsideDamaged) {
    ::close(fd);
    return;
  }
  Finish result = readable ? finishOne(fd, h) : Finish::Damaged;
  switch (result) {
    case Finish::Done:
      ++report.finished;
      dropUnfinishedSave(path);
      break;
    case Finish::Damaged:
      if (setAside(path)) {
        setAside(oldContentName(path));
        report.setAside.push_back(path + ".damaged");
      }
      break;
    case Finish::Away:
    case Finish::Changed:
      report.left.push_back({path, h.target, ageInDays(fd), result == Finish::Changed});
      break;
  }
  ::close(fd);
}

}  // namespace

bool setAside(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) return false;
  return ::rename(path.c_str(), (path + ".damaged").c_str()) == 0;
}

void dropUnfinishedSave(const std::string& journal) {
  // The journal first: old content without its journal is removed by the next start, a
  // journal without its old content could never be finished.
  ::unlink(journal.c_str());
  ::unlink(oldContentName(journal).c_str());
  syncFolderOf(journal);
}

SaveJournalReport finishSaveJournals(const std::string& folder) {
  SaveJournalReport report;
  forEachName(folder, isSaveJournalName, [&](const std::string& path) {
    handle(folder, path, [](const SaveJournalHeader&) { return true; }, true, report);
  });
  // Old content whose journal is gone: the save that kept it ended, or its journal was set
  // aside (then the content went with it).
  auto isOld = [](const char* name) { return hasForm(name, "nbs", ".old"); };
  forEachName(folder, isOld, [](const std::string& path) {
    std::string journal = path.substr(0, path.size() - 4) + ".jnl";
    struct stat st;
    if (::lstat(journal.c_str(), &st) == 0) return;
    int fd = openAbandoned(path, O_RDONLY);
    if (fd < 0) return;
    ::unlink(path.c_str());
    ::close(fd);
  });
  return report;
}

std::vector<UnfinishedSave> finishSavesOf(const std::string& folder, const std::string& target) {
  SaveJournalReport report;
  FileIdentity wanted;
  bool known = identityOf(-1, target, wanted) == 0;
  forEachName(folder, isSaveJournalName, [&](const std::string& path) {
    handle(folder, path, [&](const SaveJournalHeader& h) {
      return h.target == target || (known && h.targetBefore.sameBirth(wanted));
    }, false, report);
  });
  return report.left;
}

}  // namespace nibblet
