#include "core/document/edit_journal.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "core/document/journal_format.h"

namespace nibblet {
namespace {

constexpr char kMagic1[8] = {'N', 'B', 'T', 'E', 'D', 'I', 'T', '1'};
constexpr char kMagic2[8] = {'N', 'B', 'T', 'E', 'D', 'I', 'T', '2'};
constexpr std::size_t kRecordSize = 8;
constexpr std::uint64_t kMaxHeader = 64 + 2 * (4 + journal::kMaxTextBytes) + 64;

// The check byte of an 8-byte record: a torn or stray record is recognised and ignored.
std::uint8_t recordCheck(const std::uint8_t* r) {
  std::uint32_t sum = 0x5A;
  for (int i = 0; i < 7; ++i) sum = (sum * 31 + r[i]) & 0xFF;
  return static_cast<std::uint8_t>(sum);
}

void putRecord(std::uint8_t* r, std::uint32_t value, std::uint8_t a, std::uint8_t b, char kind) {
  for (int i = 0; i < 4; ++i) r[i] = static_cast<std::uint8_t>(value >> (8 * i));
  r[4] = a;
  r[5] = b;
  r[6] = static_cast<std::uint8_t>(kind);
  r[7] = recordCheck(r);
}

// A save mark: the user's file's identity after the save, one 32-bit field per 'I' record
// (its number in the record's fifth byte), committed by the 'S' record that follows them.
constexpr int kIdentityFields = 16;

std::uint32_t identityField(const FileIdentity& id, int field) {
  auto half = [](std::uint64_t v, int high) { return static_cast<std::uint32_t>(high ? v >> 32 : v); };
  switch (field) {
    case 0: case 1: return half(id.device, field - 0);
    case 2: case 3: return half(id.inode, field - 2);
    case 4: case 5: return half(id.size, field - 4);
    case 6: case 7: return half(static_cast<std::uint64_t>(id.modifiedSeconds), field - 6);
    case 8: return static_cast<std::uint32_t>(id.modifiedNanoseconds);
    case 9: case 10: return half(static_cast<std::uint64_t>(id.changed.seconds), field - 9);
    case 11: return static_cast<std::uint32_t>(id.changed.nanoseconds);
    case 12: case 13: return half(static_cast<std::uint64_t>(id.born.seconds), field - 12);
    case 14: return static_cast<std::uint32_t>(id.born.nanoseconds);
    default: return id.hasBirth ? 1 : 0;
  }
}

void setIdentityField(FileIdentity& id, int field, std::uint32_t v) {
  auto set = [v](std::uint64_t old, int high) {
    return high ? (old & 0xFFFFFFFFull) | (std::uint64_t{v} << 32) : (old & 0xFFFFFFFF00000000ull) | v;
  };
  auto setSigned = [&set](std::int64_t& s, int high) { s = static_cast<std::int64_t>(set(static_cast<std::uint64_t>(s), high)); };
  switch (field) {
    case 0: case 1: id.device = set(id.device, field - 0); break;
    case 2: case 3: id.inode = set(id.inode, field - 2); break;
    case 4: case 5: id.size = set(id.size, field - 4); break;
    case 6: case 7: setSigned(id.modifiedSeconds, field - 6); break;
    case 8: id.modifiedNanoseconds = v; break;
    case 9: case 10: setSigned(id.changed.seconds, field - 9); break;
    case 11: id.changed.nanoseconds = v; break;
    case 12: case 13: setSigned(id.born.seconds, field - 12); break;
    case 14: id.born.nanoseconds = v; break;
    default: id.hasBirth = v != 0; break;
  }
}

std::vector<std::uint8_t> saveMark(const FileIdentity& source) {
  std::vector<std::uint8_t> out((kIdentityFields + 1) * kRecordSize);
  for (int f = 0; f < kIdentityFields; ++f)
    putRecord(out.data() + f * kRecordSize, identityField(source, f), static_cast<std::uint8_t>(f), 0, 'I');
  putRecord(out.data() + kIdentityFields * kRecordSize, 0, 0, 0, 'S');
  return out;
}

}  // namespace

int EditJournal::create(const std::string& path, JournalMode mode, const std::string& sourcePath,
                        const std::string& copyPath, const FileIdentity& source) {
  release();
  journal::Writer w;
  w.out.assign(kMagic2, kMagic2 + 8);
  w.number(static_cast<std::uint32_t>(mode), 4);
  w.number(source.device, 8);
  w.number(source.inode, 8);
  w.number(source.size, 8);
  w.number(static_cast<std::uint64_t>(source.modifiedSeconds), 8);
  w.number(static_cast<std::uint64_t>(source.modifiedNanoseconds), 4);
  w.number(static_cast<std::uint64_t>(source.changed.seconds), 8);
  w.number(static_cast<std::uint64_t>(source.changed.nanoseconds), 4);
  w.number(source.hasBirth ? 1 : 0, 1);
  w.number(static_cast<std::uint64_t>(source.born.seconds), 8);
  w.number(static_cast<std::uint64_t>(source.born.nanoseconds), 4);
  w.text(sourcePath);
  w.text(copyPath);
  w.number(journal::checksum(w.out.data(), w.out.size()), 4);
  const std::vector<std::uint8_t>& header = w.out;
  // Written whole beside its name and renamed into place, so a journal is never seen half made.
  // Like its records it has to outlive the process, not the machine, so it is not synced: the
  // open does not wait for the disk, and one that a power cut left unreadable is set aside at the
  // next start.
  int fd = -1;
  std::string temp;
  int rc = createFileBeside(path, "nbj", 0600, fd, temp);
  if (rc != 0) return rc;
  rc = writeAll(fd, header.data(), header.size());
  if (rc == 0 && ::rename(temp.c_str(), path.c_str()) != 0) rc = lastError();
  if (rc == 0 && ::lseek(fd, 0, SEEK_END) < 0) {
    rc = lastError();
    ::unlink(path.c_str());
  }
  if (rc != 0) {
    ::unlink(temp.c_str());
    ::close(fd);
    return rc;
  }
  m_fd = fd;
  m_path = path;
  m_error = 0;
  m_size = header.size();
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
  m_size = validBytes;
  return 0;
}

void EditJournal::write(const std::uint8_t* records, std::size_t size) {
  if (m_fd < 0 || m_error != 0) return;
  if (m_size + size > kMaxBytes) {
    m_error = EFBIG;
    return;
  }
  // No fsync: the records only have to outlive the process, and the kernel keeps them once written.
  m_error = writeAll(m_fd, records, size);
  m_size += size;
}

void EditJournal::changeAppended(const ChangeEntry& e) { changesAppended({&e, 1}); }

void EditJournal::changesAppended(std::span<const ChangeEntry> entries) { writeRecords(entries, 'E'); }

void EditJournal::changeUndone(const ChangeEntry& e) { changesUndone({&e, 1}); }

void EditJournal::changesUndone(std::span<const ChangeEntry> newestFirst) { writeRecords(newestFirst, 'U'); }

void EditJournal::writeRecords(std::span<const ChangeEntry> entries, char kind) {
  if (m_fd < 0 || m_error != 0) return;
  constexpr std::size_t kPerWrite = 1 << 16;  // records per write: 512 KiB
  std::vector<std::uint8_t> out(std::min(entries.size(), kPerWrite) * kRecordSize);
  for (std::size_t at = 0; at < entries.size(); at += kPerWrite) {
    std::size_t n = std::min(kPerWrite, entries.size() - at);
    for (std::size_t i = 0; i < n; ++i) {
      const ChangeEntry& e = entries[at + i];
      putRecord(out.data() + i * kRecordSize, e.offset, e.oldValue, e.newValue, kind);
    }
    write(out.data(), n * kRecordSize);
  }
}

void EditJournal::saved(const FileIdentity& source) {
  std::vector<std::uint8_t> mark = saveMark(source);
  write(mark.data(), mark.size());
}

void EditJournal::discard() {
  if (m_fd < 0) return;
  ::unlink(m_path.c_str());
  syncFolderOf(m_path);
  release();
}

void EditJournal::discardUnused() {
  if (m_fd < 0) return;
  ::unlink(m_path.c_str());
  release();
}

void EditJournal::release() {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
  m_path.clear();
  m_error = 0;
  m_size = 0;
}

bool EditJournal::read(int fd, EditJournalContents& out, bool headerOnly) {
  std::uint64_t size = 0;
  if (!journal::regularFileSize(fd, size) || size > kMaxBytes) return false;
  journal::PieceReader r(fd, 0, size);
  char magic[8];
  if (!r.read(magic, 8)) return false;
  int version = std::memcmp(magic, kMagic2, 8) == 0 ? 2 : std::memcmp(magic, kMagic1, 8) == 0 ? 1 : 0;
  if (version == 0) return false;
  out = EditJournalContents();
  std::uint64_t mode = r.number(4);
  out.source.device = r.number(8);
  out.source.inode = r.number(8);
  out.source.size = r.number(8);
  out.source.modifiedSeconds = static_cast<std::int64_t>(r.number(8));
  out.source.modifiedNanoseconds = static_cast<std::int64_t>(r.number(4));
  if (version == 2) {
    out.source.changed.seconds = static_cast<std::int64_t>(r.number(8));
    out.source.changed.nanoseconds = static_cast<std::int64_t>(r.number(4));
    std::uint64_t birth = r.number(1);
    out.source.hasBirth = birth == 1;
    out.source.born.seconds = static_cast<std::int64_t>(r.number(8));
    out.source.born.nanoseconds = static_cast<std::int64_t>(r.number(4));
    if (birth > 1) r.ok = false;
  } else {
    // Earlier journals kept no change time; the modification time stands in for it.
    out.source.changed = {out.source.modifiedSeconds, out.source.modifiedNanoseconds};
  }
  out.sourcePath = r.text();
  out.copyPath = r.text();
  std::uint32_t check = r.check();
  std::uint64_t stored = r.number(4);
  if (!r.ok || mode > 1 || stored != check || out.sourcePath.empty() || r.position() > kMaxHeader) return false;
  out.mode = static_cast<JournalMode>(mode);
  out.validBytes = r.position();
  if (headerOnly) return true;
  bool everSaved = false;
  FileIdentity marked = out.source;
  std::uint8_t rec[kRecordSize];
  while (r.left() >= kRecordSize && r.read(rec, kRecordSize)) {
    if (recordCheck(rec) != rec[7]) break;
    out.validBytes = r.position();
    std::uint32_t value = rec[0] | (rec[1] << 8) | (rec[2] << 16) | (static_cast<std::uint32_t>(rec[3]) << 24);
    switch (rec[6]) {
      case 'E':
        out.entries.push_back({value, rec[4], rec[5]});
        out.records.push_back({value, rec[4], rec[5]});
        out.unsaved = true;
        break;
      case 'U':
        if (!out.entries.empty()) out.entries.pop_back();
        out.unsaved = true;
        break;
      case 'I':
        if (rec[4] < kIdentityFields) setIdentityField(marked, rec[4], value);
        break;
      case 'S':
        out.unsaved = false;
        everSaved = true;
        if (version == 2) out.source = marked;
        else out.source.modifiedNanoseconds = value;
        break;
      case 'T':  // earlier journals: the low and high halves of the saved modification time
      case 'H': {
        auto s = static_cast<std::uint64_t>(out.source.modifiedSeconds);
        s = rec[6] == 'T' ? (s & 0xFFFFFFFF00000000ull) | value : (s & 0xFFFFFFFFull) | (std::uint64_t{value} << 32);
        out.source.modifiedSeconds = static_cast<std::int64_t>(s);
        out.source.changed = {out.source.modifiedSeconds, out.source.modifiedNanoseconds};
        break;
      }
      default:
        break;
    }
  }
  // Without a save, a copy whose edits were all undone holds the user's bytes again.
  if (!everSaved && out.entries.empty()) out.unsaved = false;
  return true;
}

int EditJournal::markSaved(const std::string& path, const FileIdentity& source) {
  int fd = openAbandoned(path, O_RDWR);
  if (fd < 0) return EBUSY;
  EditJournalContents c;
  if (!read(fd, c)) {
    ::close(fd);
    return EINVAL;
  }
  EditJournal journal;
  int rc = journal.adopt(fd, path, c.validBytes);
  if (rc != 0) return rc;
  journal.saved(source);
  rc = journal.error();
  journal.release();
  return rc;
}

}  // namespace nibblet
