#pragma once
// Saving a temporary copy back into the user's file without ever replacing that file. The file
// never changes size and the changed offsets are known, so only those bytes are written, into
// the same file: links, owner, group, mode and extended attributes stay as they were, and the
// target of a symbolic link is what changes. A journal in the work folder holds the old and new
// bytes of every changed range and the file's identity; it is synced before the first byte is
// written and removed after the file is synced, and a journal left by a crash is finished at the
// next start. So the file always ends up whole: all old or all new.
//
// A file another program changed since it was opened is written whole, from the copy; its old
// content is kept in the work folder first (a reflink where the file system has them), so a
// whole save that fails or is cancelled puts it back in full.

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
  // Every offset that may differ; sorted and made unique in place (their order means nothing).
  std::vector<std::uint32_t>* offsets = nullptr;
  std::string workFolder;      // where the journal is kept
  // Write every byte, for a file that was changed or replaced by another program since it was
  // opened. `copyPath` (synced before) then stands in for the new bytes in the journal.
  bool whole = false;
  std::string copyPath;
  // The document's crash journal: the start that finishes this save marks it saved.
  std::string crashJournal;
  // Hears of the progress of a whole save; answering false cancels it (ECANCELED), and the
  // file gets its old content back.
  ProgressReport progress;
  // True when `bytes` can no longer be trusted (their mapping faulted); asked after they were
  // read and before anything is written.
  std::function<bool()> damaged;
};

struct SaveOutcome {
  int error = 0;
  // The error came from the work folder (the journal or the old content could not be written,
  // a full folder say), not from the user's file, which was then not touched.
  bool inWorkFolder = false;
  // A journal left for the next start: the save failed halfway and its file could not be put
  // back. Empty otherwise.
  std::string leftJournal;
  FileIdentity after;  // the user's file after a successful save
};

// Saves as described above. Returns 0, ESTALE when the file is not the expected one (and
// `whole` is not set), ECANCELED, or the system error code; on an error the file holds its old
// bytes, except when it failed halfway and could not be put back (see leftJournal).
int saveInPlace(const SaveRequest& request, SaveOutcome& outcome);

}  // namespace nibblet
