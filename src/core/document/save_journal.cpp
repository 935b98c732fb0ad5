#include "core/document/save_journal.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/document/journal_format.h"

namespace nibblet {
namespace {

constexpr char kMagic[8] = {'N', 'B', 'T', 'S', 'A', 'V', 'E', '2'};
constexpr std::size_t kWriteBuffer = 1 << 20;
constexpr std::uint64_t kMaxFileSize = 0xFFFFFFFFull;  // what a document can be

void putIdentity(journal::Writer& w, const FileIdentity& id, bool withBirth) {
  w.number(id.device, 8);
  w.number(id.inode, 8);
  w.number(id.size, 8);
  if (!withBirth) return;
  w.number(id.hasBirth ? 1 : 0, 1);
  w.number(static_cast<std::uint64_t>(id.born.seconds), 8);
  w.number(static_cast<std::uint64_t>(id.born.nanoseconds), 4);
}

void getIdentity(journal::PieceReader& r, FileIdentity& id, bool withBirth) {
  id.device = r.number(8);
  id.inode = r.number(8);
  id.size = r.number(8);
  if (!withBirth) return;
  std::uint64_t flags = r.number(1);
  id.hasBirth = flags == 1;
  if (flags > 1) r.ok = false;
  id.born.seconds = static_cast<std::int64_t>(r.number(8));
  id.born.nanoseconds = static_cast<std::int64_t>(r.number(4));
}

std::uint32_t le32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t{p[3]} << 24);
}

}  // namespace

std::string newSaveJournalName(const std::string& workFolder) {
  char name[40];
  std::snprintf(name, sizeof name, "nbs%08X%08X.jnl", static_cast<unsigned>(::getpid()),
                static_cast<unsigned>(randomValue()));
  return workFolder + "/" + name;
}

std::string oldContentName(const std::string& journalPath) {
  return journalPath.substr(0, journalPath.size() - 4) + ".old";
}

bool isSaveJournalName(const char* name) {
  std::size_t n = std::strlen(name);
  return n > 7 && std::strncmp(name, "nbs", 3) == 0 && std::strcmp(name + n - 4, ".jnl") == 0;
}

SaveJournalWriter::~SaveJournalWriter() {
  if (m_fd >= 0 && !m_committed) ::unlink(m_temp.c_str());
  if (m_fd >= 0) ::close(m_fd);
}

int SaveJournalWriter::begin(const std::string& path, SaveJournalHeader& h) {
  m_path = path;
  m_check = journal::kChecksumStart;
  m_error = createFileBeside(path, "nbs", 0600, m_fd, m_temp);
  if (m_error != 0) return m_error;
  m_buffer.reserve(kWriteBuffer);
  journal::Writer w;
  w.out.assign(kMagic, kMagic + 8);
  w.number(static_cast<std::uint32_t>(h.kind), 4);
  putIdentity(w, h.targetBefore, true);
  w.number(h.restoreMode, 4);
  w.text(h.target);
  w.text(h.crashJournal);
  if (h.kind == SaveKind::Ranges) {
    w.number(h.rangeCount, 8);
    w.number(h.rangeBytes, 8);
  } else {
    w.text(h.oldContent);
    putIdentity(w, h.oldIdentity, false);
    w.text(h.copy);
    putIdentity(w, h.copyIdentity, false);
  }
  h.dataStart = w.out.size();
  append(w.out.data(), w.out.size());
  return m_error;
}

void SaveJournalWriter::append(const void* data, std::size_t size) {
  auto* p = static_cast<const std::uint8_t*>(data);
  m_check = journal::checksum(p, size, m_check);
  while (size > 0 && m_error == 0) {
    std::size_t take = std::min(size, kWriteBuffer - m_buffer.size());
    m_buffer.insert(m_buffer.end(), p, p + take);
    p += take;
    size -= take;
    if (m_buffer.size() == kWriteBuffer) flush();
  }
}

void SaveJournalWriter::range(std::uint32_t offset, std::uint32_t length) {
  std::uint8_t head[8];
  for (int i = 0; i < 4; ++i) {
    head[i] = static_cast<std::uint8_t>(offset >> (8 * i));
    head[4 + i] = static_cast<std::uint8_t>(length >> (8 * i));
  }
  append(head, sizeof head);
}

void SaveJournalWriter::flush() {
  if (m_error == 0 && !m_buffer.empty()) m_error = writeAll(m_fd, m_buffer.data(), m_buffer.size());
  m_buffer.clear();
}

int SaveJournalWriter::commit() {
  std::uint8_t check[4];
  for (int i = 0; i < 4; ++i) check[i] = static_cast<std::uint8_t>(m_check >> (8 * i));
  std::uint32_t kept = m_check;
  append(check, sizeof check);
  m_check = kept;
  flush();
  if (m_error != 0) return m_error;
  // Once the name exists the journal is whole: renameFileBeside syncs it first.
  m_error = renameFileBeside(m_fd, m_temp, m_path);
  if (m_error == 0) m_committed = true;
  return m_error;
}

int SaveJournalWriter::drop(SaveKind kind) {
  // The journal first: old content left without it is removed by the next start.
  ::unlink(m_path.c_str());
  if (kind == SaveKind::Whole) ::unlink(oldContentName(m_path).c_str());
  int rc = syncFolderOf(m_path);
  ::close(m_fd);
  m_fd = -1;
  return rc;
}

void SaveJournalWriter::keep() {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
}

bool readSaveJournal(int fd, SaveJournalHeader& h) {
  std::uint64_t size = 0;
  if (!journal::regularFileSize(fd, size) || size < 12) return false;
  journal::PieceReader r(fd, 0, size - 4);
  char magic[8];
  if (!r.read(magic, 8) || std::memcmp(magic, kMagic, 8) != 0) return false;
  std::uint64_t kind = r.number(4);
  getIdentity(r, h.targetBefore, true);
  h.restoreMode = static_cast<std::uint32_t>(r.number(4));
  h.target = r.text();
  h.crashJournal = r.text();
  if (!r.ok || h.target.empty() || h.targetBefore.size > kMaxFileSize ||
      (h.restoreMode != kNoModeChange && h.restoreMode > 07777))
    return false;
  if (kind == static_cast<std::uint32_t>(SaveKind::Ranges)) {
    h.kind = SaveKind::Ranges;
    h.rangeCount = r.number(8);
    h.rangeBytes = r.number(8);
    h.dataStart = r.position();
    // Each range takes 8 bytes and at least one old and one new byte, and lies in the file:
    // a size no such journal has is refused before anything else is read.
    if (!r.ok || h.rangeBytes > h.targetBefore.size || h.rangeCount > h.rangeBytes ||
        r.left() != h.rangeCount * 8 + h.rangeBytes * 2)
      return false;
    std::uint64_t end = 0, total = 0;
    for (std::uint64_t i = 0; i < h.rangeCount; ++i) {
      std::uint8_t head[8];
      if (!r.read(head, 8)) return false;
      std::uint64_t offset = le32(head), length = le32(head + 4);
      if (length == 0 || offset < end || offset + length > h.targetBefore.size) return false;
      end = offset + length;
      total += length;
      if (total > h.rangeBytes || !r.skip(2 * length)) return false;
    }
    if (total != h.rangeBytes) return false;
  } else if (kind == static_cast<std::uint32_t>(SaveKind::Whole)) {
    h.kind = SaveKind::Whole;
    h.oldContent = r.text();
    getIdentity(r, h.oldIdentity, false);
    h.copy = r.text();
    getIdentity(r, h.copyIdentity, false);
    h.dataStart = r.position();
    if (!r.ok || r.left() != 0 || h.oldIdentity.size > kMaxFileSize || h.copyIdentity.size > kMaxFileSize)
      return false;
  } else {
    return false;
  }
  std::uint8_t stored[4];
  std::uint32_t check = r.check();
  journal::PieceReader tail(fd, size - 4, size);
  return r.ok && tail.read(stored, 4) && le32(stored) == check;
}

const std::uint8_t* WindowReader::at(std::uint64_t position, std::size_t n) {
  if (n > kWindow / 2 || position > m_end || m_end - position < n) return nullptr;
  if (position >= m_start && position + n <= m_start + m_length) return m_buffer.data() + (position - m_start);
  if (m_buffer.empty()) m_buffer.resize(kWindow);
  m_start = position;
  m_length = static_cast<std::size_t>(std::min<std::uint64_t>(kWindow, m_end - position));
  std::size_t got = 0;
  while (got < m_length) {
    ssize_t r = ::pread(m_fd, m_buffer.data() + got, m_length - got, static_cast<off_t>(position + got));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    got += static_cast<std::size_t>(r);
  }
  m_length = got;
  return got >= n ? m_buffer.data() : nullptr;
}

int forEachRangePiece(int journal, const SaveJournalHeader& h, const RangePiece& f) {
  constexpr std::uint32_t kPiece = 256 * 1024;
  constexpr std::uint64_t kAnyEnd = ~std::uint64_t{0};
  // Each range is its 8-byte head, its old bytes, then its new bytes; one window follows the
  // heads and old bytes, the other the new bytes.
  WindowReader heads(journal, kAnyEnd), fresh(journal, kAnyEnd);
  std::uint64_t at = h.dataStart;
  for (std::uint64_t i = 0; i < h.rangeCount; ++i) {
    const std::uint8_t* head = heads.at(at, 8);
    if (!head) return EIO;
    std::uint32_t offset = le32(head), length = le32(head + 4);
    for (std::uint32_t done = 0; done < length;) {
      std::uint32_t n = std::min(kPiece, length - done);
      const std::uint8_t* old = heads.at(at + 8 + done, n);
      const std::uint8_t* fresher = fresh.at(at + 8 + std::uint64_t{length} + done, n);
      if (!old || !fresher) return EIO;
      int rc = f(offset + done, old, fresher, n);
      if (rc != 0) return rc;
      done += n;
    }
    at += 8 + 2 * std::uint64_t{length};
  }
  return 0;
}

bool holdsOldOrNew(int journal, const SaveJournalHeader& h, int target) {
  WindowReader file(target, h.targetBefore.size);
  int rc = forEachRangePiece(journal, h, [&](std::uint32_t offset, const std::uint8_t* old, const std::uint8_t* fresh,
                                             std::uint32_t n) {
    const std::uint8_t* now = file.at(offset, n);
    if (!now) return EIO;
    for (std::uint32_t i = 0; i < n; ++i)
      if (now[i] != old[i] && now[i] != fresh[i]) return ESTALE;
    return 0;
  });
  return rc == 0;
}

int writeRanges(int journal, const SaveJournalHeader& h, int target, Direction direction) {
  return forEachRangePiece(journal, h, [&](std::uint32_t offset, const std::uint8_t* old, const std::uint8_t* fresh,
                                           std::uint32_t n) {
    return writeAllAt(target, direction == Direction::Forward ? fresh : old, n, offset);
  });
}

}  // namespace nibblet
