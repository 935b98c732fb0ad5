#include "core/diff/diff_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <new>

#include "core/diff/diff_set.h"
#include "core/document/change_log.h"
#include "core/platform/posix_file.h"
#include "core/platform/unicode.h"

namespace nibblet {
namespace {

constexpr char kUpperDigits[] = "0123456789ABCDEF";
constexpr std::size_t kPieceLength = 254;  // longest piece of a line taken at once
constexpr std::size_t kDataLength = 13;    // "OOOOOOOO:FFSS" once the spaces are gone
constexpr std::size_t kFlushAt = 1 << 20;  // text gathered before each write
constexpr std::size_t kReadChunk = 64 * 1024;

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

void appendHeader(const DiffFileHeader& header, std::string& out) {
  out += ";Nibblet diff file\n;FILE: ";
  out += header.fileName;
  out += '\n';
  if (header.hasSecondFile) {
    out += ";FILE2: ";
    out += header.secondFileName;
    out += '\n';
  }
  // The size is written as the true count of bytes: a file of 2 GiB or more must not read as a
  // negative size.
  out += ";SIZE: ";
  out += std::to_string(header.size);
  out += '\n';
}

// Appends "%08X: %02X %02X\n".
inline void appendLine(std::uint32_t offset, std::uint8_t first, std::uint8_t second, std::string& out) {
  char line[16];
  for (int i = 7; i >= 0; --i) {
    line[i] = kUpperDigits[offset & 0xF];
    offset >>= 4;
  }
  line[8] = ':';
  line[9] = ' ';
  line[10] = kUpperDigits[first >> 4];
  line[11] = kUpperDigits[first & 0xF];
  line[12] = ' ';
  line[13] = kUpperDigits[second >> 4];
  line[14] = kUpperDigits[second & 0xF];
  line[15] = '\n';
  out.append(line, sizeof line);
}

// Writes the header and every entry through `get(i, offset, first, second)`, in chunks.
template <typename Get>
int writeList(std::uint32_t count, Get get, const std::u16string& path, const DiffFileHeader& header,
              const ProgressReport& progress) {
  std::string target = toUtf8(path);
  struct stat st;
  if (::lstat(target.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    // A link chosen as the target is followed: the file it leads to gets the text, the link
    // stays. A link that leads nowhere is refused.
    char* real = ::realpath(target.c_str(), nullptr);
    if (!real) return lastError();
    target = real;
    std::free(real);
  }
  // A replaced file keeps its permissions; a new one gets those the user's umask allows.
  mode_t mode = 0666;
  NewFileMode how = NewFileMode::UnderUmask;
  if (::stat(target.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return EISDIR;
    // A pipe or a device is never replaced by a file.
    if (!S_ISREG(st.st_mode)) return EINVAL;
    mode = st.st_mode & 07777;
    how = NewFileMode::Exact;
  }
  int fd = -1;
  std::string temp;
  int rc = createFileBeside(target, "nbd", mode, fd, temp, how);
  if (rc != 0) return rc;
  try {
    std::string chunk;
    std::uint64_t written = 0;
    chunk.reserve(kFlushAt + 64);
    appendHeader(header, chunk);
    for (std::uint32_t i = 0; i < count && rc == 0; ++i) {
      std::uint32_t offset;
      std::uint8_t first, second;
      get(i, offset, first, second);
      appendLine(offset, first, second, chunk);
      if (chunk.size() >= kFlushAt) {
        rc = writeAll(fd, chunk.data(), chunk.size());
        if (rc == 0) startWriteBack(fd, written, chunk.size());
        written += chunk.size();
        chunk.clear();
        if (rc == 0 && progress && !progress(i + 1, count)) rc = ECANCELED;
      }
    }
    if (rc == 0) rc = writeAll(fd, chunk.data(), chunk.size());
    // Asked once more when every line is written, before the file takes the name.
    if (rc == 0 && progress && !progress(count, count)) rc = ECANCELED;
  } catch (const std::bad_alloc&) {
    rc = ENOMEM;
  }
  if (rc != 0) {
    discardFileBeside(fd, temp);
    return rc;
  }
  return commitFileBeside(fd, temp, target);
}

// Takes a file's text character by character, cutting lines into pieces as a reader with a
// 255-character line buffer does, and collects the accepted data lines.
class LineCollector {
 public:
  explicit LineCollector(std::vector<DiffLine>& lines) : m_lines(lines) {}

  bool feed(std::string_view text) {
    for (char c : text) {
      ++m_raw;
      if (c != ' ' && c != '\r' && c != '\n') {
        if (m_kept < kDataLength) m_piece[m_kept] = c;
        ++m_kept;
      }
      if ((c == '\n' || m_raw == kPieceLength) && !endPiece()) return false;
    }
    return true;
  }

  // The last line of a file need not end with a line feed.
  bool finish() { return m_raw == 0 || endPiece(); }

 private:
  bool endPiece() {
    bool accepted = m_kept == kDataLength && m_piece[8] == ':';
    for (std::size_t i = 0; accepted && i < kDataLength; ++i)
      accepted = m_piece[i] == ':' || hexDigit(m_piece[i]) >= 0;
    m_raw = 0;
    m_kept = 0;
    if (!accepted) return true;
    // Each field is parsed from its own copy, so a colon inside a field ends only that field.
    DiffLine line{parseHex({m_piece, 8}), static_cast<std::uint8_t>(parseHex({m_piece + 9, 2})),
                  static_cast<std::uint8_t>(parseHex({m_piece + 11, 2}))};
    try {
      m_lines.push_back(line);
    } catch (const std::bad_alloc&) {
      return false;
    }
    return true;
  }

  std::vector<DiffLine>& m_lines;
  char m_piece[kDataLength] = {};
  std::size_t m_raw = 0;   // characters of the current piece, line end included
  std::size_t m_kept = 0;  // characters left after removing CR, LF and spaces
};

}  // namespace

std::uint32_t parseHex(std::string_view text) {
  std::uint32_t value = 0;
  for (char c : text) {
    int digit = hexDigit(c);
    if (digit < 0) break;
    value = value * 16 + static_cast<std::uint32_t>(digit);
  }
  return value;
}

int writeDiffFile(const ChangeLog& log, const std::u16string& path, const DiffFileHeader& header,
                  const ProgressReport& progress) {
  return writeList(
      log.count(),
      [&log](std::uint32_t i, std::uint32_t& offset, std::uint8_t& first, std::uint8_t& second) {
        const ChangeEntry& e = log.entry(i);
        offset = e.offset;
        first = e.oldValue;
        second = e.newValue;
      },
      path, header, progress);
}

int writeDiffFile(const DiffSet& diffs, const std::u16string& path, const DiffFileHeader& header,
                  const ProgressReport& progress) {
  return writeList(
      diffs.count(),
      [&diffs](std::uint32_t i, std::uint32_t& offset, std::uint8_t& first, std::uint8_t& second) {
        const DiffEntry& e = diffs.entry(i);
        offset = e.offset;
        first = e.docValue;
        second = e.otherValue;
      },
      path, header, progress);
}

bool parseDiffText(std::string_view text, std::vector<DiffLine>& lines) {
  LineCollector collector(lines);
  return collector.feed(text) && collector.finish();
}

int readDiffFile(const std::u16string& path, std::vector<DiffLine>& lines, const ProgressReport& progress) {
  std::string native = toUtf8(path);
  // Not blocking on open: a named pipe chosen by mistake must not hang the program.
  int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return lastError();
  struct stat st;
  int rc = 0;
  if (::fstat(fd, &st) != 0) {
    rc = lastError();
  } else if (!S_ISREG(st.st_mode)) {
    rc = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
  }
  std::unique_ptr<char[]> buffer(rc == 0 ? new (std::nothrow) char[kReadChunk] : nullptr);
  if (rc == 0 && !buffer) rc = ENOMEM;
  LineCollector collector(lines);
  std::uint64_t read = 0;
  while (rc == 0) {
    ssize_t n = ::read(fd, buffer.get(), kReadChunk);
    if (n < 0) {
      if (errno == EINTR) continue;
      rc = lastError();
    } else if (n == 0) {
      if (!collector.finish()) rc = ENOMEM;
      break;
    } else if (!collector.feed({buffer.get(), static_cast<std::size_t>(n)})) {
      rc = ENOMEM;
    } else {
      read += static_cast<std::uint64_t>(n);
      if (progress && !progress(read, static_cast<std::uint64_t>(st.st_size))) rc = ECANCELED;
    }
  }
  ::close(fd);
  return rc;
}

}  // namespace nibblet
