#include "core/document/save_in_place.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include "core/document/journal_format.h"

namespace nibblet {
namespace {

constexpr char kMagic[8] = {'N', 'B', 'T', 'S', 'A', 'V', 'E', '1'};
constexpr std::uint32_t kRanges = 1;
constexpr std::uint32_t kWholeCopy = 2;
// Changed bytes closer than this are written as one range.
constexpr std::uint32_t kJoinGap = 32;


struct Range {
  std::uint32_t offset;
  std::uint32_t length;
};

// Opens the user's file for writing in place. A read-only file of this user is made writable for
// the moment of the save and given its mode back afterwards (`restoreMode` says which).
int openTarget(const std::string& path, int& fd, mode_t& restoreMode, bool& restore) {
  restore = false;
  fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd >= 0) return 0;
  int rc = lastError();
  struct stat st;
  if (rc != EACCES || ::stat(path.c_str(), &st) != 0 || st.st_uid != ::geteuid() || !S_ISREG(st.st_mode)) return rc;
  if (::chmod(path.c_str(), (st.st_mode & 07777) | S_IWUSR) != 0) return rc;
  fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) {
    rc = lastError();
    ::chmod(path.c_str(), st.st_mode & 07777);
    return rc;
  }
  restoreMode = st.st_mode & 07777;
  restore = true;
  return 0;
}

void closeTarget(int fd, mode_t mode, bool restore) {
  if (restore) ::fchmod(fd, mode);
  ::close(fd);
}

// Copies every byte of `from` over `to` in place and gives `to` the same length.
int copyInPlace(int from, int to, std::uint64_t size,
                const ProgressReport& progress = {}) {
  std::vector<std::uint8_t> buffer(1 << 20);
  for (std::uint64_t at = 0; at < size;) {
    std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), size - at));
    int rc = readAllAt(from, buffer.data(), n, at);
    if (rc == 0) rc = writeAllAt(to, buffer.data(), n, at);
    if (rc != 0) return rc;
    at += n;
    if (progress) progress(at, size);
  }
  if (::ftruncate(to, static_cast<off_t>(size)) != 0) return lastError();
  return 0;
}

// Writes the journal beside `workFolder`'s fresh name, synced and renamed into place: once the
// name exists the journal is complete. `fd` stays open and locked.
int writeJournal(const std::string& workFolder, std::vector<std::uint8_t>& blob, int& fd, std::string& path) {
  std::uint32_t check = journal::checksum(blob.data(), blob.size());
  for (int i = 0; i < 4; ++i) blob.push_back(static_cast<std::uint8_t>(check >> (8 * i)));
  char name[40];
  std::snprintf(name, sizeof name, "nbs%08X%08X.jnl", static_cast<unsigned>(::getpid()),
                static_cast<unsigned>(randomValue()));
  path = workFolder + "/" + name;
  std::string temp;
  int rc = createFileBeside(path, "nbs", 0600, fd, temp);
  if (rc != 0) return rc;
  rc = writeAll(fd, blob.data(), blob.size());
  if (rc == 0) rc = renameFileBeside(fd, temp, path);
  else ::unlink(temp.c_str());
  if (rc != 0) {
    ::close(fd);
    fd = -1;
  }
  return rc;
}

void dropJournal(int fd, const std::string& path) {
  ::unlink(path.c_str());
  syncFolderOf(path);
  ::close(fd);
}

std::vector<Range> rangesOf(std::vector<std::uint32_t> offsets, std::uint32_t size) {
  std::sort(offsets.begin(), offsets.end());
  offsets.erase(std::unique(offsets.begin(), offsets.end()), offsets.end());
  std::vector<Range> ranges;
  for (std::uint32_t o : offsets) {
    if (o >= size) continue;
    if (!ranges.empty() && o - (ranges.back().offset + ranges.back().length) <= kJoinGap)
      ranges.back().length = o - ranges.back().offset + 1;
    else
      ranges.push_back({o, 1});
  }
  return ranges;
}

int saveRanges(const SaveRequest& r, int target, std::string* leftJournal) {
  std::vector<Range> ranges = rangesOf(r.offsets, r.size);
  std::uint64_t total = 0;
  for (const Range& g : ranges) total += g.length;
  journal::Writer w;
  std::vector<std::uint8_t> old;
  try {
    w.out.reserve(64 + r.target.size() + ranges.size() * 8 + total * 2);
    old.resize(total);
  } catch (const std::bad_alloc&) {
    return ENOMEM;
  }
  w.out.insert(w.out.end(), kMagic, kMagic + 8);
  w.number(kRanges, 4);
  w.number(r.expected.device, 8);
  w.number(r.expected.inode, 8);
  w.number(r.expected.size, 8);
  w.text(r.target);
  w.number(ranges.size(), 4);
  for (const Range& g : ranges) {
    w.number(g.offset, 4);
    w.number(g.length, 4);
  }
  std::size_t at = 0;
  for (const Range& g : ranges) {
    int rc = readAllAt(target, old.data() + at, g.length, g.offset);
    if (rc != 0) return rc;
    at += g.length;
  }
  w.out.insert(w.out.end(), old.begin(), old.end());
  const std::size_t freshAt = w.out.size();
  for (const Range& g : ranges) w.out.insert(w.out.end(), r.bytes + g.offset, r.bytes + g.offset + g.length);
  // Bytes read from a mapping that faulted are zeros, not the copy's: nothing is written then.
  if (r.damaged && r.damaged()) return EIO;

  int journal = -1;
  std::string journalPath;
  int rc = writeJournal(r.workFolder, w.out, journal, journalPath);
  if (rc != 0) return rc;
  std::size_t written = 0;  // ranges touched so far, the failing one included
  at = freshAt;
  for (const Range& g : ranges) {
    ++written;
    // The file gets exactly the bytes the journal holds.
    rc = writeAllAt(target, w.out.data() + at, g.length, g.offset);
    if (rc != 0) break;
    at += g.length;
  }
  if (rc == 0 && ::fsync(target) != 0) rc = lastError();
  if (rc != 0) {
    // Put the old bytes back; only when that is on disk is the journal no longer needed.
    int undo = 0;
    at = 0;
    for (std::size_t i = 0; i < written && undo == 0; ++i) {
      undo = writeAllAt(target, old.data() + at, ranges[i].length, ranges[i].offset);
      at += ranges[i].length;
    }
    if (undo == 0 && ::fsync(target) != 0) undo = lastError();
    if (undo == 0) {
      dropJournal(journal, journalPath);
    } else {
      ::close(journal);
      if (leftJournal) *leftJournal = journalPath;
    }
    return rc;
  }
  dropJournal(journal, journalPath);
  return 0;
}

int saveWhole(const SaveRequest& r, int target, const FileIdentity& now, std::string* leftJournal) {
  int copy = ::open(r.copyPath.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (copy < 0) return lastError();
  FileIdentity copyId;
  int rc = identityOf(copy, "", copyId);
  journal::Writer w;
  w.out.insert(w.out.end(), kMagic, kMagic + 8);
  w.number(kWholeCopy, 4);
  w.number(now.device, 8);
  w.number(now.inode, 8);
  w.number(now.size, 8);
  w.text(r.target);
  w.text(r.copyPath);
  w.number(copyId.device, 8);
  w.number(copyId.inode, 8);
  w.number(copyId.size, 8);
  int journal = -1;
  std::string journalPath;
  if (rc == 0 && r.damaged && r.damaged()) rc = EIO;
  if (rc == 0) rc = writeJournal(r.workFolder, w.out, journal, journalPath);
  if (rc == 0) {
    rc = copyInPlace(copy, target, copyId.size, r.progress);
    if (rc == 0 && ::fsync(target) != 0) rc = lastError();
    // Without the old bytes a half-written file cannot be put back: the journal stays and the
    // next start completes the copy, which must therefore stay too.
    if (rc == 0) {
      dropJournal(journal, journalPath);
    } else {
      ::close(journal);
      if (leftJournal) *leftJournal = journalPath;
    }
  }
  ::close(copy);
  return rc;
}

enum class Finish { Done, Obsolete, Failed };

// Completes one journal left by a crash. Obsolete when it is damaged or its file is gone or no
// longer the same file; Failed when writing failed and the journal must stay for another try.
Finish finishJournal(const std::vector<std::uint8_t>& data) {
  if (data.size() < 12 || std::memcmp(data.data(), kMagic, 8) != 0) return Finish::Obsolete;
  std::uint32_t check = 0;
  for (int i = 0; i < 4; ++i) check |= static_cast<std::uint32_t>(data[data.size() - 4 + i]) << (8 * i);
  if (check != journal::checksum(data.data(), data.size() - 4)) return Finish::Obsolete;
  journal::Reader r{data, 8};
  std::uint64_t kind = r.number(4);
  FileIdentity expected;
  expected.device = r.number(8);
  expected.inode = r.number(8);
  expected.size = r.number(8);
  std::string target = r.text();
  if (!r.ok) return Finish::Obsolete;
  int fd = -1;
  mode_t mode = 0;
  bool restore = false;
  int rc = openTarget(target, fd, mode, restore);
  if (rc != 0) return rc == ENOENT || rc == ENOTDIR ? Finish::Obsolete : Finish::Failed;
  FileIdentity now;
  bool same = identityOf(fd, "", now) == 0 && now.sameFile(expected);
  bool done = false;
  bool valid = false;
  if (same && kind == kRanges && now.size == expected.size) {
    std::uint64_t count = r.number(4);
    std::vector<Range> ranges;
    std::uint64_t total = 0;
    for (std::uint64_t i = 0; r.ok && i < count; ++i) {
      Range g{static_cast<std::uint32_t>(r.number(4)), static_cast<std::uint32_t>(r.number(4))};
      if (static_cast<std::uint64_t>(g.offset) + g.length > expected.size) r.ok = false;
      total += g.length;
      ranges.push_back(g);
    }
    // The new bytes follow the old ones; the journal ends with its 4-byte check.
    if (r.ok && data.size() - 4 - r.at == total * 2) {
      std::size_t at = r.at + total;
      valid = done = true;
      for (const Range& g : ranges) {
        if (writeAllAt(fd, data.data() + at, g.length, g.offset) != 0) done = false;
        at += g.length;
      }
    }
  } else if (same && kind == kWholeCopy) {
    std::string copyPath = r.text();
    FileIdentity copyExpected;
    copyExpected.device = r.number(8);
    copyExpected.inode = r.number(8);
    copyExpected.size = r.number(8);
    int copy = r.ok ? ::open(copyPath.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC) : -1;
    FileIdentity copyNow;
    valid = copy >= 0;
    if (copy >= 0 && identityOf(copy, "", copyNow) == 0 && copyNow.sameFile(copyExpected) &&
        copyNow.size == copyExpected.size)
      done = copyInPlace(copy, fd, copyNow.size) == 0;
    if (copy >= 0) ::close(copy);
  }
  if (done && ::fsync(fd) != 0) done = false;
  closeTarget(fd, mode, restore);
  if (done) return Finish::Done;
  return valid ? Finish::Failed : Finish::Obsolete;
}

}  // namespace

int saveInPlace(const SaveRequest& r, FileIdentity& after, std::string* leftJournal) {
  if (leftJournal) leftJournal->clear();
  int target = -1;
  mode_t mode = 0;
  bool restore = false;
  int rc = openTarget(r.target, target, mode, restore);
  if (rc != 0) return rc;
  FileIdentity now;
  rc = identityOf(target, "", now);
  if (rc == 0 && !r.whole && !(now == r.expected && now.size == r.size)) rc = ESTALE;
  if (rc == 0) rc = r.whole ? saveWhole(r, target, now, leftJournal) : saveRanges(r, target, leftJournal);
  if (rc == 0) rc = identityOf(target, "", after);
  closeTarget(target, mode, restore);
  return rc;
}

int finishSaveJournals(const std::string& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return 0;
  int finished = 0;
  while (dirent* e = ::readdir(dir)) {
    std::size_t n = std::strlen(e->d_name);
    if (n < 8 || std::strncmp(e->d_name, "nbs", 3) != 0 || std::strcmp(e->d_name + n - 4, ".jnl") != 0) continue;
    std::string path = folder + "/" + e->d_name;
    int fd = ::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat st;
    std::vector<std::uint8_t> data;
    // A journal held by a running process is that process's save in progress.
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
        ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      Finish result = journal::readWhole(fd, data) ? finishJournal(data) : Finish::Failed;
      if (result == Finish::Done) ++finished;
      if (result != Finish::Failed) {
        ::unlink(path.c_str());
        syncFolderOf(path);
      }
    }
    ::close(fd);
  }
  ::closedir(dir);
  return finished;
}

}  // namespace nibblet
