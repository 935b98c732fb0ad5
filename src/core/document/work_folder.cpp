#include "core/document/work_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <set>

#include "core/document/edit_journal.h"
#include "core/document/save_in_place.h"
#include "core/platform/file_system.h"
#include "core/platform/posix_file.h"
#include "core/platform/unicode.h"

namespace nibblet {
namespace {

std::u16string withoutSeparator(std::u16string folder) {
  while (folder.size() > 1 && folder.back() == kPathSeparator) folder.pop_back();
  return folder;
}

bool lockIfDead(int fd) {
  struct stat st;
  return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
         ::flock(fd, LOCK_EX | LOCK_NB) == 0;
}

// Journals of dead processes that hold nothing to recover go with their copies, and so do
// copies ("nbt....tmp") that no journal names and no process holds.
void removeLeftovers(const std::string& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  std::set<std::string> copies, journals;
  while (dirent* e = ::readdir(dir)) {
    std::size_t n = std::strlen(e->d_name);
    if (n < 8 || std::strncmp(e->d_name, "nbt", 3) != 0) continue;
    std::string path = folder + "/" + e->d_name;
    if (std::strcmp(e->d_name + n - 4, ".tmp") == 0) copies.insert(path);
    if (std::strcmp(e->d_name + n - 4, ".jnl") == 0) journals.insert(path);
  }
  ::closedir(dir);
  std::set<std::string> kept;
  for (const std::string& journal : journals) {
    int fd = ::open(journal.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    EditJournalContents c;
    bool readable = EditJournal::read(fd, c);
    if (!lockIfDead(fd)) {
      if (readable) kept.insert(c.copyPath);  // a running program's document
    } else if (!readable) {
      ::unlink(journal.c_str());
    } else if (c.mode == JournalMode::TemporaryCopy ? c.unsaved : !c.entries.empty()) {
      kept.insert(c.copyPath);  // offered when that file is opened next
    } else {
      if (!c.copyPath.empty() && copies.count(c.copyPath)) ::unlink(c.copyPath.c_str());
      ::unlink(journal.c_str());
    }
    ::close(fd);
  }
  for (const std::string& copy : copies) {
    if (kept.count(copy)) continue;
    int fd = ::open(copy.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    if (lockIfDead(fd)) ::unlink(copy.c_str());
    ::close(fd);
  }
}

}  // namespace

std::u16string workFolderOf(const Settings& settings) {
  std::u16string folder = withoutSeparator(textOf(settings.workPath));
  if (folder.empty() || folder[0] != kPathSeparator) return withoutSeparator(defaultWorkPath());
  return folder;
}

std::u16string backupFolderOf(const Settings& settings) {
  std::u16string folder = textOf(settings.backupPath);
  if (folder.empty()) return folder;
  if (folder[0] != kPathSeparator) {
    std::u16string base = defaultWorkPath();
    if (base.empty()) return {};
    folder = withoutSeparator(base) + kPathSeparator + folder;
  }
  if (folder.back() != kPathSeparator) folder += kPathSeparator;
  return folder;
}

int prepareWorkFolder(const std::u16string& folder) {
  if (folder.empty()) return EILSEQ;  // the default folder's name is not UTF-8
  int rc = createMissingFolders(folder + kPathSeparator, /*ownerOnly=*/true);
  if (rc == EEXIST) return ENOTDIR;  // a file stands where the folder should be
  if (rc != 0) return rc;
  return checkPrivateFolder(folder);
}

void cleanUpWorkFolder(const Settings& settings) {
  std::u16string work = workFolderOf(settings);
  if (checkPrivateFolder(work) == 0) {
    std::string folder = toUtf8(work);
    finishSaveJournals(folder);
    removeStaleHelperFiles(folder);
    removeLeftovers(folder);
  }
  std::u16string backup = backupFolderOf(settings);
  // Only this user's own helper files that no process holds are removed, so any folder will do.
  if (!backup.empty()) removeStaleHelperFiles(toUtf8(withoutSeparator(backup)));
}

}  // namespace nibblet
