#include "core/document/save_in_place.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "core/document/save_journal.h"
#include "core/document/target_file.h"
#include "core/platform/copy_bytes.h"

namespace nibblet {
namespace {

// Changed bytes closer than this are written as one range.
constexpr std::uint32_t kJoinGap = 32;

// Calls f(offset, length) for the ranges of the sorted, unique `offsets`.
template <typename F>
void forEachRange(const std::vector<std::uint32_t>& offsets, F&& f) {
  std::size_t i = 0;
  while (i < offsets.size()) {
    std::uint32_t start = offsets[i], end = start + 1;
    for (++i; i < offsets.size() && offsets[i] - end <= kJoinGap; ++i) end = offsets[i] + 1;
    f(start, end - start);
  }
}

SaveJournalHeader headerOf(SaveKind kind, const SaveRequest& r, const TargetFile& target, const FileIdentity& now) {
  SaveJournalHeader h;
  h.kind = kind;
  h.target = r.target;
  h.targetBefore = now;
  h.restoreMode = target.modeToRestore();
  h.crashJournal = r.crashJournal;
  return h;
}

// The journal's work is over: the mode goes back first, then the journal; a mode that cannot
// be given back leaves the journal, so the next start does it.
int finishWithMode(TargetFile& target, SaveJournalWriter& journal, const SaveJournalHeader& h, SaveOutcome& out) {
  int rc = h.restoreMode == kNoModeChange ? 0 : target.setMode(h.restoreMode);
  if (rc != 0) {
    out.leftJournal = journal.path();
    journal.keep();
    return rc;
  }
  journal.drop(h.kind);
  return 0;
}

int saveRanges(const SaveRequest& r, TargetFile& target, const FileIdentity& now, SaveOutcome& out) {
  std::vector<std::uint32_t>& offsets = *r.offsets;
  std::sort(offsets.begin(), offsets.end());
  offsets.erase(std::unique(offsets.begin(), offsets.end()), offsets.end());
  offsets.erase(std::lower_bound(offsets.begin(), offsets.end(), r.size), offsets.end());
  SaveJournalHeader h = headerOf(SaveKind::Ranges, r, target, now);
  forEachRange(offsets, [&](std::uint32_t, std::uint32_t length) {
    ++h.rangeCount;
    h.rangeBytes += length;
  });
  if (h.rangeCount == 0) return 0;

  // The journal is written in pieces: old bytes read from the file, new ones from the copy.
  SaveJournalWriter journal;
  int rc = journal.begin(newSaveJournalName(r.workFolder), h);
  WindowReader file(target.fd(), r.size);
  int readError = 0;
  forEachRange(offsets, [&](std::uint32_t offset, std::uint32_t length) {
    if (rc != 0 || readError != 0) return;
    journal.range(offset, length);
    for (std::uint32_t done = 0; done < length;) {
      std::uint32_t n = std::min<std::uint32_t>(length - done, WindowReader::kWindow / 2);
      const std::uint8_t* old = file.at(offset + done, n);
      if (!old) {
        readError = EIO;
        return;
      }
      journal.append(old, n);
      done += n;
    }
    journal.append(r.bytes + offset, length);
  });
  if (readError != 0) return readError;
  // Bytes read from a mapping that faulted are zeros, not the copy's: nothing is written then.
  if (rc == 0 && r.damaged && r.damaged()) return EIO;
  if (rc == 0) rc = journal.commit();
  if (rc != 0) {
    out.inWorkFolder = true;
    return rc;
  }
  rc = target.makeWritable();
  if (rc != 0) {
    journal.drop(h.kind);
    return rc;
  }
  // The file gets exactly the bytes the journal holds.
  rc = writeRanges(journal.fd(), h, target.fd(), Direction::Forward);
  if (rc == 0 && ::fsync(target.fd()) != 0) rc = lastError();
  if (rc != 0) {
    // Put the old bytes back; only when that is on disk is the journal no longer needed.
    int undo = writeRanges(journal.fd(), h, target.fd(), Direction::Back);
    if (undo == 0 && ::fsync(target.fd()) != 0) undo = lastError();
    if (undo == 0 && finishWithMode(target, journal, h, out) == 0) return rc;
    if (out.leftJournal.empty()) {
      out.leftJournal = journal.path();
      journal.keep();
    }
    return rc;
  }
  return finishWithMode(target, journal, h, out);
}

// Keeps the file's content in a new file at `path`: a reflink where the file system can share
// the blocks, a copy otherwise. 0 or the system error code; `fd` stays open on success.
int keepOldContent(int from, std::uint64_t size, const std::string& path, const ProgressReport& progress,
                   std::uint64_t total, int& fd) {
  std::string temp;
  int rc = createFileBeside(path, "nbo", 0600, fd, temp);
  if (rc != 0) return rc;
  rc = copyFileBytes(from, fd, size, [&](std::uint64_t done, std::uint64_t) {
    return !progress || progress(done, total);
  });
  // The copy goes to the disk in pieces, between which a stop is heard; the flush before the
  // rename then has little left to do.
  if (rc == 0) rc = syncInPieces(fd, size, [&](std::uint64_t, std::uint64_t) { return !progress || progress(size, total); });
  if (rc == ECANCELED) {
    // A stopped copy goes without waiting for its pages on their way to the disk.
    discardFileBeside(fd, temp);
    fd = -1;
    return rc;
  }
  if (rc == 0) rc = renameFileBeside(fd, temp, path);
  else ::unlink(temp.c_str());
  if (rc != 0) {
    ::close(fd);
    fd = -1;
  }
  return rc;
}

int saveWhole(const SaveRequest& r, TargetFile& target, const FileIdentity& now, SaveOutcome& out) {
  int copy = ::open(r.copyPath.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (copy < 0) return lastError();
  SaveJournalHeader h = headerOf(SaveKind::Whole, r, target, now);
  h.copy = r.copyPath;
  int rc = identityOf(copy, "", h.copyIdentity);
  const std::uint64_t total = now.size + h.copyIdentity.size;
  const std::string journalPath = newSaveJournalName(r.workFolder);
  h.oldContent = oldContentName(journalPath);
  int old = -1;
  if (rc == 0) {
    rc = keepOldContent(target.fd(), now.size, h.oldContent, r.progress, total, old);
    if (rc == 0) rc = identityOf(old, "", h.oldIdentity);
    if (rc != 0 && rc != ECANCELED) out.inWorkFolder = true;
  }
  SaveJournalWriter journal;
  if (rc == 0 && r.damaged && r.damaged()) rc = EIO;
  if (rc == 0) {
    rc = journal.begin(journalPath, h);
    if (rc == 0) rc = journal.commit();
    if (rc != 0) out.inWorkFolder = true;
  }
  if (rc == 0) {
    rc = target.makeWritable();
    if (rc != 0) journal.drop(h.kind);
  } else if (old >= 0) {
    ::unlink(h.oldContent.c_str());
  }
  if (rc != 0) {
    if (old >= 0) ::close(old);
    ::close(copy);
    return rc;
  }
  std::uint64_t written = 0;  // the copy's bytes at the file's start, when the work is stopped
  rc = copyInPlace(copy, target.fd(), h.copyIdentity.size, [&](std::uint64_t done, std::uint64_t) {
    written = done;
    return !r.progress || r.progress(now.size + done, total);
  });
  if (rc == 0 && ::ftruncate(target.fd(), static_cast<off_t>(h.copyIdentity.size)) != 0) rc = lastError();
  if (rc == 0 && ::fsync(target.fd()) != 0) rc = lastError();
  if (rc != 0) {
    // Cancelled or failed: the old content goes back, and only then the journal. A stop comes
    // between two pieces, so only what was written before it goes back (a tap is answered
    // sooner); after a failure nobody knows how far a write got, and all of it goes back.
    const std::uint64_t back = rc == ECANCELED ? std::min(written, now.size) : now.size;
    int undo = copyInPlace(old, target.fd(), back);
    if (undo == 0 && ::ftruncate(target.fd(), static_cast<off_t>(now.size)) != 0) undo = lastError();
    if (undo == 0 && ::fsync(target.fd()) != 0) undo = lastError();
    if (undo != 0 || finishWithMode(target, journal, h, out) != 0) {
      if (out.leftJournal.empty()) {
        out.leftJournal = journal.path();
        journal.keep();
      }
    }
  } else {
    rc = finishWithMode(target, journal, h, out);
  }
  ::close(old);
  ::close(copy);
  return rc;
}

}  // namespace

int saveInPlace(const SaveRequest& r, SaveOutcome& out) {
  out = SaveOutcome();
  TargetFile target;
  int rc = target.open(r.target);
  FileIdentity now;
  if (rc == 0) rc = identityOf(target.fd(), "", now);
  if (rc == 0 && !r.whole && !(now == r.expected && now.size == r.size)) rc = ESTALE;
  if (rc == 0) rc = r.whole ? saveWhole(r, target, now, out) : saveRanges(r, target, now, out);
  // Taken after the mode went back: the change time the crash journal keeps is the final one.
  if (rc == 0) rc = identityOf(target.fd(), "", out.after);
  out.error = rc;
  return rc;
}

}  // namespace nibblet
