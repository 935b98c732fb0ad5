#pragma once
// What a start does with the save journals that runs which died left in the work folder. A
// journal is replayed only into the file it was written for, and only while every journaled
// byte of that file still holds its old or its new value (all a save cut short can leave);
// anything else means another program wrote the file since, and nothing is written. A journal
// whose file cannot be reached (a card, a stick or a share not there) is kept for a later start;
// one that cannot be read is set aside under another name; none is ever deleted silently.

#include <cstdint>
#include <string>
#include <vector>

namespace nibblet {

struct UnfinishedSave {
  std::string journal;    // its path in the work folder
  std::string target;     // the user's file it writes
  std::int64_t ageDays = 0;
  // The file was there but no longer held what the journal replaces (another program wrote
  // it); otherwise it could not be reached.
  bool changed = false;
};

struct SaveJournalReport {
  int finished = 0;
  std::vector<UnfinishedSave> left;
  std::vector<std::string> setAside;  // unreadable journals, now named "<name>.damaged"
};

// Finishes the save journals in `folder` that no running process holds (see above), and
// removes old content kept by saves whose journal is gone.
SaveJournalReport finishSaveJournals(const std::string& folder);
// Tries again the journals in `folder` no running process holds that write `target` (the file
// may be back since the start); returns those still left.
std::vector<UnfinishedSave> finishSavesOf(const std::string& folder, const std::string& target);
// Removes an unfinished save's journal, with the old content it kept.
void dropUnfinishedSave(const std::string& journal);

// Sets a file that cannot be read aside as "<path>.damaged" (kept, never deleted); true when it
// was renamed.
bool setAside(const std::string& path);

}  // namespace nibblet
