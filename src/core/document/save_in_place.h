#pragma once
// Saving a temporary copy back into the user's file without ever replacing that file. The file
// never changes size and the changed offsets are known, so only those bytes are written, into
// the same file: links, owner, group, mode and extended attributes stay as they were, and the
// target of a symbolic link is what changes. A journal in the work folder holds the old and new
// bytes of every changed range and the file's identity; it is synced before the first byte is
// written and removed after the file is synced, and a journal left by a crash is finished at the
// next start. So the file always ends up whole: all old or all new.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/platform/posix_file.h"
#include "core/platform/wait_cursor.h"

namespace nibblet {

struct SaveRequest {
  std::string target;          // the user's file
  FileIdentity expected;       // what the user's file must still be (device, inode, size, time)
  const std::uint8_t* bytes = nullptr;  // the copy's bytes
  std::uint32_t size = 0;
  std::vector<std::uint32_t> offsets;   // every offset that may differ, in any order
  std::string workFolder;      // where the journal is kept
  // Write every byte, for a file that was changed or replaced by another program since it was
  // opened. `copyPath` (synced before) then stands in for the new bytes in the journal.
  bool whole = false;
  std::string copyPath;
  // Hears of every megabyte written when the whole file is written (written, total).
  ProgressReport progress;
  // True when `bytes` can no longer be trusted (their mapping faulted); asked after they were
  // read and before anything is written.
  std::function<bool()> damaged;
};

// Saves as described above. Returns 0, ESTALE when the file is not the expected one (and
// `whole` is not set), or the system error code; on an error the file holds its old bytes,
// except when it failed halfway and could not be put back: then the journal stays to be
// finished at the next start, and its path goes to `leftJournal`. `after` receives the file's
// identity after the save.
int saveInPlace(const SaveRequest& request, FileIdentity& after, std::string* leftJournal = nullptr);

// Finishes the save journals in `folder` that no running process holds. Returns how many files
// were completed.
int finishSaveJournals(const std::string& folder);

}  // namespace nibblet
