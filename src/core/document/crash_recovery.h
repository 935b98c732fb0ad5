#pragma once
// What the open of a file offers of the work a dead run left of it: the unsaved temporary copy
// or the edits made on the spot (from its crash journal), and news of a save to it that was cut
// short and could not be finished. A journal belongs to a file only when it names the file's
// path and the file is still the one it was written for: device, inode and size agree, and the
// birth time (where the file system keeps one) or the change time. A file that only shares an
// inode is never offered another's edits; every question names the file the edits were made to.

#include <string>
#include <vector>

#include "core/document/edit_journal.h"
#include "core/i18n/string_module.h"
#include "core/i18n/text_format.h"
#include "core/platform/message_box.h"

namespace nibblet {

class CrashRecovery {
 public:
  CrashRecovery(const Texts& texts, MessageBox& messages) : m_texts(texts), m_messages(messages) {}

  enum class Outcome {
    None,       // nothing to recover, or declined: open as usual
    Copy,       // recover the temporary copy
    OnTheSpot,  // show the edits made on the spot, so they can be undone
    Refused,    // a question ended without an answer: open nothing, keep everything
  };
  struct Offer {
    Outcome outcome = Outcome::None;
    int fd = -1;  // Copy, OnTheSpot: the chosen journal, open and locked; the caller owns it
    std::string journal;
    EditJournalContents contents;
    // Journals of saves to the file that were cut short and could not be finished. With a
    // recovered copy they are dropped after its first save, which writes the whole copy.
    std::vector<std::string> unfinishedSaves;
  };

  // Finishes what it can of saves to `path` that were cut short, tells of those it cannot, and
  // offers the dead runs' crash journals in `folder` that name `path`, one question at a time
  // until one is taken.
  Offer offer(const std::string& folder, const std::string& path);

  // True when another running program has `path` open on the spot (its crash journal in
  // `folder` is held and names the file).
  static bool openOnTheSpotElsewhere(const std::string& folder, const std::string& path);

  // Whether the file now at a journal's path is the file the journal was written for (see
  // above). On the spot the change time moves with every edit: it must then lie no later than
  // `journalWritten` (the journal's last record), plus the clock's coarseness.
  static bool isSameFile(const EditJournalContents& journal, const FileIdentity& now, StatTime journalWritten);
  // On the spot: every byte the journal recorded holds one of the values it recorded for it.
  static bool holdsRecordedBytes(const EditJournalContents& journal, const std::uint8_t* bytes, std::uint32_t size);

 private:
  enum class Answer { Take, Decline, Keep, None };
  Answer ask(const EditJournalContents& c, const std::string& journal, int fd);
  int question(int textId, std::initializer_list<FormatArg> args);

  const Texts& m_texts;
  MessageBox& m_messages;
};

}  // namespace nibblet
