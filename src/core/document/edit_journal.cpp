#include "core/document/edit_journal.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "core/document/journal_format.h"

namespace nibblet {
namespace {

constexpr char kMagic[8] = {'N', 'B', 'T', 'E', 'D', 'I', 'T', '1'};
constexpr std::size_t kRecordSize = 8;

// The check byte of an 8-byte record: a torn or stray record is recognised and ignored.
std::uint8_t recordCheck(const std::uint8_t* r) {
  std::uint32_t sum = 0x5A;
  for (int i = 0; i < 7; ++i) sum = (sum * 31 + r[i]) & 0xFF;
  return static_cast<std::uint8_t>(sum);
}

}  // namespace

int EditJournal::create(const std::string& path, JournalMode mode, const std::string& sourcePath,
                        const std::string& copyPath, const FileIdentity& source) {
  release();
  journal::Writer w;
  w.out.assign(kMagic, kMagic + 8);
  w.number(static_cast<std::uint32_t>(mode), 4);
  w.number(source.device, 8);
  w.number(source.inode, 8);
  w.number(source.size, 8);
  w.number(static_cast<std::uint64_t>(source.modifiedSeconds), 8);
  w.number(static_cast<std::uint64_t>(source.modifiedNanoseconds), 4);
  w.text(sourcePath);
  w.text(copyPath);
  w.number(journal::checksum(w.out.data(), w.out.size()), 4);
  const std::vector<std::uint8_t>& header = w.out;
  // Written whole beside its name and renamed into place, so a journal is never seen half made.
  // Like its records it has to outlive the process, not the machine, so it is not synced: the
  // open does not wait for the disk, and one that a power cut left unreadable is removed at the
  // next start.
  int fd = -1;
  std::string temp;
  int rc = createFileBeside(path, "nbj", 0600, fd, temp);
  if (rc != 0) return rc;
  rc = writeAll(fd, header.data(), header.size());
  if (rc == 0 && ::rename(temp.c_str(), path.c_str()) != 0) rc = lastError();
  if (rc != 0) {
    ::unlink(temp.c_str());
    ::close(fd);
    return rc;
  }
  if (::lseek(fd, 0, SEEK_END) < 0) {
    rc = lastError();
    ::close(fd);
    ::unlink(path.c_str());
    return rc;
  }
  m_fd = fd;
  m_path = path;
  m_error = 0;
  return 0;
}

int EditJournal::adopt(int fd, const std::string& path, std::uint64_t validBytes) {
  release();
  // A torn last record is cut off, so what this run appends follows the last whole one.
  if (::ftruncate(fd, static_cast<off_t>(validBytes)) != 0 || ::lseek(fd, 0, SEEK_END) < 0) {
    int rc = lastError();
    ::close(fd);
    return rc;
  }
  m_fd = fd;
  m_path = path;
  m_error = 0;
  return 0;
}

void EditJournal::writeRecord(std::uint32_t offset, std::uint8_t oldValue, std::uint8_t newValue, char kind) {
  if (m_fd < 0 || m_error != 0) return;
  std::uint8_t r[kRecordSize] = {static_cast<std::uint8_t>(offset), static_cast<std::uint8_t>(offset >> 8),
                                 static_cast<std::uint8_t>(offset >> 16), static_cast<std::uint8_t>(offset >> 24),
                                 oldValue, newValue, static_cast<std::uint8_t>(kind), 0};
  r[7] = recordCheck(r);
  // No fsync: the record only has to outlive the process, and the kernel keeps it once written.
  m_error = writeAll(m_fd, r, sizeof r);
}

void EditJournal::writeRecords(std::initializer_list<std::pair<std::uint32_t, char>> records) {
  if (m_fd < 0 || m_error != 0) return;
  std::vector<std::uint8_t> all;
  for (const auto& [value, kind] : records) {
    std::uint8_t r[kRecordSize] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                                   static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24),
                                   0, 0, static_cast<std::uint8_t>(kind), 0};
    r[7] = recordCheck(r);
    all.insert(all.end(), r, r + kRecordSize);
  }
  m_error = writeAll(m_fd, all.data(), all.size());
}

void EditJournal::changeAppended(const ChangeEntry& e) { writeRecord(e.offset, e.oldValue, e.newValue, 'E'); }
void EditJournal::changeUndone(const ChangeEntry& e) { writeRecord(e.offset, e.oldValue, e.newValue, 'U'); }

void EditJournal::saved(const FileIdentity& source) {
  // The user's file's new time goes with the mark, so a recovery knows the file it was saved to.
  auto seconds = static_cast<std::uint64_t>(source.modifiedSeconds);
  writeRecords({{static_cast<std::uint32_t>(source.modifiedNanoseconds), 'S'},
                {static_cast<std::uint32_t>(seconds), 'T'},
                {static_cast<std::uint32_t>(seconds >> 32), 'H'}});
}

void EditJournal::discard() {
  if (m_fd < 0) return;
  ::unlink(m_path.c_str());
  syncFolderOf(m_path);
  release();
}

void EditJournal::release() {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
  m_path.clear();
  m_error = 0;
}

bool EditJournal::read(int fd, EditJournalContents& out) {
  std::vector<std::uint8_t> data;
  if (!journal::readWhole(fd, data) || data.size() < 8 || std::memcmp(data.data(), kMagic, 8) != 0) return false;
  journal::Reader r{data, 8};
  std::uint64_t mode = r.number(4);
  out.source.device = r.number(8);
  out.source.inode = r.number(8);
  out.source.size = r.number(8);
  out.source.modifiedSeconds = static_cast<std::int64_t>(r.number(8));
  out.source.modifiedNanoseconds = static_cast<std::int64_t>(r.number(4));
  out.sourcePath = r.text();
  out.copyPath = r.text();
  std::size_t headerEnd = r.at;
  std::uint64_t check = r.number(4);
  if (!r.ok || mode > 1 || check != journal::checksum(data.data(), headerEnd)) return false;
  out.mode = static_cast<JournalMode>(mode);
  out.entries.clear();
  out.touched.clear();
  out.unsaved = false;
  bool everSaved = false;
  out.validBytes = r.at;
  for (std::size_t at = r.at; data.size() - at >= kRecordSize; at += kRecordSize) {
    const std::uint8_t* rec = data.data() + at;
    if (recordCheck(rec) != rec[7]) break;
    out.validBytes = at + kRecordSize;
    std::uint32_t offset = rec[0] | (rec[1] << 8) | (rec[2] << 16) | (static_cast<std::uint32_t>(rec[3]) << 24);
    switch (rec[6]) {
      case 'E':
        out.entries.push_back({offset, rec[4], rec[5]});
        out.touched.push_back(offset);
        out.unsaved = true;
        break;
      case 'U':
        if (!out.entries.empty()) out.entries.pop_back();
        out.unsaved = true;
        break;
      case 'S':
        out.unsaved = false;
        everSaved = true;
        out.source.modifiedNanoseconds = offset;
        break;
      case 'T':
        out.source.modifiedSeconds = static_cast<std::int64_t>(
            (static_cast<std::uint64_t>(out.source.modifiedSeconds) & 0xFFFFFFFF00000000ull) | offset);
        break;
      case 'H':
        out.source.modifiedSeconds = static_cast<std::int64_t>(
            (static_cast<std::uint64_t>(out.source.modifiedSeconds) & 0xFFFFFFFFull) |
            (static_cast<std::uint64_t>(offset) << 32));
        break;
      default:
        break;
    }
  }
  // Without a save, a copy whose edits were all undone holds the user's bytes again.
  if (!everSaved && out.entries.empty()) out.unsaved = false;
  return true;
}

std::vector<EditJournal::Found> EditJournal::findLeftJournals(const std::string& folder,
                                                              const std::string& sourcePath) {
  std::vector<Found> found;
  FileIdentity wanted;
  bool haveWanted = identityOf(-1, sourcePath, wanted) == 0;
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return found;
  while (dirent* e = ::readdir(dir)) {
    std::size_t n = std::strlen(e->d_name);
    if (n < 8 || std::strncmp(e->d_name, "nbt", 3) != 0 || std::strcmp(e->d_name + n - 4, ".jnl") != 0) continue;
    Found f;
    f.path = folder + "/" + e->d_name;
    f.fd = ::open(f.path.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (f.fd < 0) continue;
    struct stat st;
    bool usable = ::fstat(f.fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
                  ::flock(f.fd, LOCK_EX | LOCK_NB) == 0 && read(f.fd, f.contents);
    bool same = usable && (f.contents.sourcePath == sourcePath ||
                           (haveWanted && f.contents.source.device == wanted.device &&
                            f.contents.source.inode == wanted.inode));
    if (!same) {
      ::close(f.fd);
      continue;
    }
    found.push_back(std::move(f));
  }
  ::closedir(dir);
  return found;
}

}  // namespace nibblet
