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

// Copies ("nbt....tmp") that no journal names and no process holds.
void removeOrphanCopies(const std::string& folder) {
  std::set<std::string> journaled;
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  std::set<std::string> copies;
  while (dirent* e = ::readdir(dir)) {
    std::size_t n = std::strlen(e->d_name);
    if (n < 8 || std::strncmp(e->d_name, "nbt", 3) != 0) continue;
    std::string path = folder + "/" + e->d_name;
    if (std::strcmp(e->d_name + n - 4, ".tmp") == 0) copies.insert(path);
    if (std::strcmp(e->d_name + n - 4, ".jnl") != 0) continue;
    int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    EditJournalContents contents;
    if (EditJournal::read(fd, contents)) journaled.insert(contents.copyPath);
    ::close(fd);
  }
  ::closedir(dir);
  for (const std::string& copy : copies) {
    if (journaled.count(copy)) continue;
    int fd = ::open(copy.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
        ::flock(fd, LOCK_EX | LOCK_NB) == 0)
      ::unlink(copy.c_str());
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
  if (folder[0] != kPathSeparator) folder = withoutSeparator(defaultWorkPath()) + kPathSeparator + folder;
  if (folder.back() != kPathSeparator) folder += kPathSeparator;
  return folder;
}

int prepareWorkFolder(const std::u16string& folder) {
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
    removeOrphanCopies(folder);
  }
  std::u16string backup = backupFolderOf(settings);
  // Only this user's own helper files that no process holds are removed, so any folder will do.
  if (!backup.empty()) removeStaleHelperFiles(toUtf8(withoutSeparator(backup)));
}

}  // namespace nibblet
