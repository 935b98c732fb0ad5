#pragma once
// File operations on the system's files, by UTF-16 path. Every operation that can fail returns
// 0 or the system error code (errno), as the program's messages show it.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform/wait_cursor.h"

namespace nibblet {

constexpr char16_t kPathSeparator = u'/';
constexpr std::size_t kMaxPath = 259;  // characters of a path, not counting the terminator

// File attribute bits, as the file browser and the document use them.
constexpr std::uint32_t kAttrReadOnly = 0x1;
constexpr std::uint32_t kAttrDirectory = 0x10;
constexpr std::uint32_t kAttrInRom = 0x40;
constexpr std::uint32_t kAttrNormal = 0x80;
constexpr std::uint32_t kAttrTemporary = 0x100;

enum class FileKind { Missing, File, Folder };

// What a path names, following links. Anything that is neither a regular file nor a folder
// (devices, sockets) counts as Missing, since the program can edit neither.
FileKind fileKind(const std::u16string& path);
inline bool isFile(const std::u16string& path) { return fileKind(path) == FileKind::File; }
inline bool isFolder(const std::u16string& path) { return fileKind(path) == FileKind::Folder; }

// What the name itself is, links not followed: Folder for a real folder, File for anything
// else that exists (files, links, also links whose target is gone), Missing otherwise.
FileKind entryKind(const std::u16string& path);

int fileSize(const std::u16string& path, std::uint64_t& size);

// Attributes of a path: kAttrDirectory for folders, kAttrReadOnly when the user may not
// write it, kAttrNormal for a plain writable file. Returns false when the path is missing.
bool fileAttributes(const std::u16string& path, std::uint32_t& attributes);
// Makes the file writable for its owner, or read-only.
int setReadOnly(const std::u16string& path, bool readOnly);

// Copies `from` to `to`, replacing `to`. The bytes go to a freshly created file beside `to`
// (never following a link planted under any name) which is synced and then renamed over `to`,
// so `to` holds either its old content or the whole copy. `ownerOnly` gives the copy mode 0600.
// The bytes are copied as copyFileBytes does (shared extents, in the system, or read and
// written). When `progress` returns false the copy stops, its helper file is removed and the
// result is ECANCELED.
int copyFileReplacing(const std::u16string& from, const std::u16string& to, bool ownerOnly,
                      const ProgressReport& progress = {});
// Whether a copy is on the disk when copyFileKeepingOpen returns, or only in the system's cache
// (a copy whose caller syncs it before it holds anything worth keeping).
enum class CopyDurability { Synced, Deferred };

// copyFileReplacing that hands the new file's descriptor (read-write, locked against
// clean-up by a later start) to the caller, so it is used without opening the name again.
// `progress`, when given, hears of every 8 MiB copied (copied, total); when it answers false
// the copy stops, its partial file is removed and the result is ECANCELED. A Deferred copy is
// renamed into place without waiting for the disk; the caller must fdatasync `fd` before the
// copy holds anything that must outlive a power cut.
int copyFileKeepingOpen(const std::u16string& from, const std::u16string& to, bool ownerOnly, int& fd,
                        const ProgressReport& progress = {},
                        CopyDurability durability = CopyDurability::Synced);

// 0 when `folder` is a folder of this user that no other user can write names into (not group
// or world writable, unless the sticky bit is set); EPERM when it is not private, ENOTDIR or
// the system error code otherwise.
int checkPrivateFolder(const std::u16string& folder);

int deleteFile(const std::u16string& path);
int moveFile(const std::u16string& from, const std::u16string& to);
int createFolder(const std::u16string& path, bool ownerOnly = false);
int removeFolder(const std::u16string& path);

// Creates every missing folder along `path`; the part after the last separator is taken as a
// file name and never created. Stops at the first failure and returns its error code.
int createMissingFolders(const std::u16string& path, bool ownerOnly = false);

// What a name stands for beyond a file or a folder: the things that cannot be edited.
enum class EntryType {
  Plain,       // a regular file or a folder, reached directly or through a link
  Fifo,        // a named pipe
  Socket,
  Device,      // a character or block device
  LinkLoop,    // a link that leads round in a loop (or too deep) and reaches nothing
  BrokenLink,  // a link whose target is missing or out of reach
};

// The type of `path`, links followed; Plain also for a path that does not exist at all.
EntryType entryType(const std::u16string& path);

struct FolderEntry {
  std::u16string name;
  std::uint32_t attributes = 0;
  std::uint64_t size = 0;
  std::int64_t writeTime = 0;  // seconds since 1970, UTC
  EntryType type = EntryType::Plain;
};

// Lists a folder in the order the system returns its entries ("." and ".." left out). Links
// are described by their targets; a link whose target is gone or that loops is listed as an
// empty file. Each entry's type tells pipes, sockets, devices and such links apart.
// kAttrReadOnly comes from the mode bits and the user's ids (and a read-only file system), not
// from access control lists.
int listFolder(const std::u16string& folder, std::vector<FolderEntry>& entries);

// The folder that holds the running program, without a trailing separator.
std::u16string programFolder();

// True when both paths name the same existing file (links followed).
bool isSameFile(const std::u16string& a, const std::u16string& b);

// `folder` and `name` joined by a separator, with every doubled separator made single, so
// "/a/" + "b" and "/a" + "b" both give "/a/b".
std::u16string joinPath(std::u16string_view folder, std::u16string_view name);

// `folder` with a separator at its end (an empty folder gives the separator alone).
std::u16string withSeparator(std::u16string_view folder);

// `path` made absolute against the current folder and tidied by normalisePath (links are not
// resolved). An absolute path is only tidied. False leaves `out` empty when the current folder
// cannot be read or its name is not UTF-8; `error` then receives the system error code, or
// EILSEQ.
bool absolutePath(std::u16string_view path, std::u16string& out, int* error = nullptr);

// The text after the last separator, or the whole path when there is none.
std::u16string fileNamePart(const std::u16string& path);

// The user's private cache folder for the program: $XDG_CACHE_HOME/nibblet or
// ~/.cache/nibblet, falling back to the system's temporary folder. Empty when the folder it
// would name is not valid UTF-8.
std::u16string defaultWorkPath();

}  // namespace nibblet
