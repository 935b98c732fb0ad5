#include "core/platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/platform/copy_bytes.h"
#include "core/platform/lexical_path.h"
#include "core/platform/posix_file.h"
#include "core/platform/unicode.h"

namespace nibblet {
namespace {

std::string native(const std::u16string& path) { return toUtf8(path); }

// The type of a name that stat (links followed) described as `st`, or that stat failed on
// with `statError` (0 when it succeeded).
EntryType typeOf(const struct stat& st, int statError) {
  if (statError == ELOOP) return EntryType::LinkLoop;
  if (statError != 0) return EntryType::BrokenLink;
  if (S_ISFIFO(st.st_mode)) return EntryType::Fifo;
  if (S_ISSOCK(st.st_mode)) return EntryType::Socket;
  if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) return EntryType::Device;
  return EntryType::Plain;
}


}  // namespace

FileKind fileKind(const std::u16string& path) {
  struct stat st;
  if (path.empty() || ::stat(native(path).c_str(), &st) != 0) return FileKind::Missing;
  if (S_ISREG(st.st_mode)) return FileKind::File;
  if (S_ISDIR(st.st_mode)) return FileKind::Folder;
  return FileKind::Missing;
}

EntryType entryType(const std::u16string& path) {
  struct stat st;
  if (path.empty()) return EntryType::Plain;
  const std::string p = native(path);
  if (::stat(p.c_str(), &st) == 0) return typeOf(st, 0);
  const int error = errno;
  // A name that is missing itself is no link: it is simply not there.
  if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return EntryType::Plain;
  return typeOf(st, error);
}

FileKind entryKind(const std::u16string& path) {
  struct stat st;
  if (path.empty() || ::lstat(native(path).c_str(), &st) != 0) return FileKind::Missing;
  return S_ISDIR(st.st_mode) ? FileKind::Folder : FileKind::File;
}

int fileSize(const std::u16string& path, std::uint64_t& size) {
  struct stat st;
  if (::stat(native(path).c_str(), &st) != 0) return lastError();
  size = static_cast<std::uint64_t>(st.st_size);
  return 0;
}

bool fileAttributes(const std::u16string& path, std::uint32_t& attributes) {
  struct stat st;
  std::string p = native(path);
  if (path.empty() || ::stat(p.c_str(), &st) != 0) return false;
  attributes = 0;
  if (S_ISDIR(st.st_mode)) attributes |= kAttrDirectory;
  if (::access(p.c_str(), W_OK) != 0) attributes |= kAttrReadOnly;
  if (attributes == 0) attributes = kAttrNormal;
  return true;
}

int setReadOnly(const std::u16string& path, bool readOnly) {
  struct stat st;
  std::string p = native(path);
  if (::stat(p.c_str(), &st) != 0) return lastError();
  mode_t mode = st.st_mode & 07777;
  mode = readOnly ? (mode & ~static_cast<mode_t>(0222)) : (mode | S_IWUSR);
  return ::chmod(p.c_str(), mode) == 0 ? 0 : lastError();
}

int copyFileReplacing(const std::u16string& from, const std::u16string& to, bool ownerOnly,
                      const ProgressReport& progress) {
  int fd = -1;
  int rc = copyFileKeepingOpen(from, to, ownerOnly, fd, progress);
  if (fd >= 0) ::close(fd);
  return rc;
}

int copyFileKeepingOpen(const std::u16string& from, const std::u16string& to, bool ownerOnly, int& fd,
                        const ProgressReport& progress, CopyDurability durability) {
  fd = -1;
  std::string target = native(to);
  int in = ::open(native(from).c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return lastError();
  struct stat st;
  if (::fstat(in, &st) != 0) {
    int rc = lastError();
    ::close(in);
    return rc;
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(in);
    return S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
  }
  int out = -1;
  std::string temp;
  int rc = createFileBeside(target, "nbt", ownerOnly ? 0600 : (st.st_mode & 0777), out, temp);
  if (rc != 0) {
    ::close(in);
    return rc;
  }
  const bool synced = durability == CopyDurability::Synced;
  const std::uint64_t size = static_cast<std::uint64_t>(st.st_size);
  rc = copyFileBytes(in, out, size, progress, synced);
  ::close(in);
  // The flush goes in pieces that hear a stop, so the rename's own flush has little left.
  if (rc == 0 && synced)
    rc = syncInPieces(out, size, [&](std::uint64_t, std::uint64_t) { return !progress || progress(size, size); });
  if (rc != 0) {
    discardFileBeside(out, temp);
    return rc;
  }
  if (synced) {
    rc = renameFileBeside(out, temp, target);
  } else if (::rename(temp.c_str(), target.c_str()) != 0) {
    rc = lastError();
    ::unlink(temp.c_str());
  }
  if (rc != 0) {
    ::close(out);
    return rc;
  }
  fd = out;
  return 0;
}

int deleteFile(const std::u16string& path) {
  return ::unlink(native(path).c_str()) == 0 ? 0 : lastError();
}

int moveFile(const std::u16string& from, const std::u16string& to) {
  std::string target = native(to);
  // Like the system it imitates, a move never replaces an existing name.
  struct stat st;
  if (::lstat(target.c_str(), &st) == 0) return EEXIST;
  return ::rename(native(from).c_str(), target.c_str()) == 0 ? 0 : lastError();
}

int createFolder(const std::u16string& path, bool ownerOnly) {
  return ::mkdir(native(path).c_str(), ownerOnly ? 0700 : 0777) == 0 ? 0 : lastError();
}

int removeFolder(const std::u16string& path) {
  return ::rmdir(native(path).c_str()) == 0 ? 0 : lastError();
}

int checkPrivateFolder(const std::u16string& folder) {
  struct stat st;
  if (::stat(native(folder).c_str(), &st) != 0) return lastError();
  if (!S_ISDIR(st.st_mode)) return ENOTDIR;
  if (st.st_uid != ::geteuid()) return EPERM;
  // Others may write into a folder only when the sticky bit keeps them off our names.
  if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0 && (st.st_mode & S_ISVTX) == 0) return EPERM;
  return 0;
}

int createMissingFolders(const std::u16string& path, bool ownerOnly) {
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (path[i] != kPathSeparator) continue;
    std::u16string prefix = path.substr(0, i);
    if (prefix.empty() || isFolder(prefix)) continue;
    int rc = createFolder(prefix, ownerOnly);
    if (rc != 0 && !isFolder(prefix)) return rc;
  }
  return 0;
}

namespace {

// Whether this user may write a file, from its mode bits: a folder of a hundred thousand files
// is listed without asking the system a second time per entry. Access control lists are not
// consulted; a file system mounted read-only makes every entry read-only.
class WriteRights {
 public:
  explicit WriteRights(DIR* dir) : m_user(::geteuid()), m_group(::getegid()) {
    struct statvfs fs;
    m_readOnlyFs = ::fstatvfs(::dirfd(dir), &fs) == 0 && (fs.f_flag & ST_RDONLY) != 0;
    int n = ::getgroups(0, nullptr);
    if (n > 0) {
      m_groups.resize(static_cast<std::size_t>(n));
      n = ::getgroups(n, m_groups.data());
      m_groups.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    }
  }
  bool mayWrite(const struct stat& st) const {
    if (m_readOnlyFs) return false;
    if (m_user == 0) return true;
    if (st.st_uid == m_user) return (st.st_mode & S_IWUSR) != 0;
    bool inGroup = st.st_gid == m_group;
    for (gid_t g : m_groups) inGroup |= st.st_gid == g;
    return (st.st_mode & (inGroup ? S_IWGRP : S_IWOTH)) != 0;
  }

 private:
  uid_t m_user;
  gid_t m_group;
  std::vector<gid_t> m_groups;
  bool m_readOnlyFs = false;
};

}  // namespace

int listFolder(const std::u16string& folder, std::vector<FolderEntry>& entries) {
  entries.clear();
  std::string base = native(folder);
  DIR* dir = ::opendir(base.empty() ? "/" : base.c_str());
  if (!dir) return lastError();
  const int dirFd = ::dirfd(dir);
  const WriteRights rights(dir);
  while (dirent* e = ::readdir(dir)) {
    if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
    FolderEntry entry;
    // A name that is not valid UTF-8 cannot be spelled back to the system: acting on it could
    // reach a different file, so such entries are not listed.
    if (!decodeName(e->d_name, entry.name)) continue;
    // Looked up inside the open folder: no walk from the root for each entry.
    struct stat st;
    bool dangling = false;
    if (::fstatat(dirFd, e->d_name, &st, 0) != 0) {
      const int error = errno;
      // A link whose target is gone stays in the list, so it can be deleted or renamed.
      if (::fstatat(dirFd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISLNK(st.st_mode)) continue;  // vanished
      dangling = true;
      entry.type = typeOf(st, error);
      st.st_size = 0;
    } else {
      entry.type = typeOf(st, 0);
    }
    if (S_ISDIR(st.st_mode)) entry.attributes |= kAttrDirectory;
    if (!dangling && !rights.mayWrite(st)) entry.attributes |= kAttrReadOnly;
    if (entry.attributes == 0) entry.attributes = kAttrNormal;
    entry.size = S_ISDIR(st.st_mode) ? 0 : static_cast<std::uint64_t>(st.st_size);
    entry.writeTime = static_cast<std::int64_t>(st.st_mtime);
    entries.push_back(std::move(entry));
  }
  ::closedir(dir);
  return 0;
}

std::u16string programFolder() {
  std::vector<char> buffer(4096);
  ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (n <= 0) return u".";
  std::string path(buffer.data(), static_cast<std::size_t>(n));
  auto cut = path.rfind('/');
  return fromUtf8(cut == std::string::npos || cut == 0 ? std::string("/") : path.substr(0, cut));
}

bool isSameFile(const std::u16string& a, const std::u16string& b) {
  struct stat sa, sb;
  if (::stat(toUtf8(a).c_str(), &sa) != 0 || ::stat(toUtf8(b).c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

std::u16string joinPath(std::u16string_view folder, std::u16string_view name) {
  std::u16string path;
  path.reserve(folder.size() + name.size() + 1);
  auto append = [&path](std::u16string_view part) {
    for (char16_t c : part) {
      if (c == kPathSeparator && !path.empty() && path.back() == kPathSeparator) continue;
      path += c;
    }
  };
  append(folder);
  if (!path.empty() && path.back() != kPathSeparator && !name.empty() && name.front() != kPathSeparator)
    path += kPathSeparator;
  append(name);
  return path;
}

std::u16string withSeparator(std::u16string_view folder) {
  std::u16string out(folder);
  if (out.empty() || out.back() != kPathSeparator) out += kPathSeparator;
  return out;
}

bool absolutePath(std::u16string_view path, std::u16string& out, int* error) {
  out.clear();
  std::u16string full;
  if (path.empty() || path.front() != kPathSeparator) {
    std::vector<char> buffer(4096);
    int rc = 0;
    if (::getcwd(buffer.data(), buffer.size()) == nullptr) rc = lastError();
    // A current folder whose name is not UTF-8 would be joined as a look-alike of itself.
    else if (!decodeName(buffer.data(), full)) rc = EILSEQ;
    if (rc != 0) {
      if (error) *error = rc;
      return false;
    }
    full += kPathSeparator;
  }
  full += path;
  out = normalisePath(full);
  return true;
}

std::u16string fileNamePart(const std::u16string& path) {
  auto cut = path.rfind(kPathSeparator);
  return cut == std::u16string::npos ? path : path.substr(cut + 1);
}

std::u16string defaultWorkPath() {
  // A folder named in bytes that are not UTF-8 gives no work folder at all: its look-alike
  // could be another user's folder, or one the user never chose.
  std::u16string folder;
  const char* cache = std::getenv("XDG_CACHE_HOME");
  if (cache && cache[0] == '/') return decodeName(cache, folder) ? folder + u"/nibblet" : std::u16string();
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return decodeName(home, folder) ? folder + u"/.cache/nibblet" : std::u16string();
  const char* tmp = std::getenv("TMPDIR");
  if (!decodeName(tmp && tmp[0] == '/' ? tmp : "/tmp", folder)) return {};
  return folder + u"/nibblet-" + fromAscii(std::to_string(::getuid()));
}

}  // namespace nibblet
