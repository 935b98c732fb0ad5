#pragma once
// The folders the program keeps its own files in: the work folder (temporary copies, crash
// journals, save journals) and the backup folder. Both are private to the user: created with
// mode 0700, and a work folder other users could write into is never used, since a name planted
// there could redirect a copy.

#include <string>

#include "core/settings/settings.h"

namespace nibblet {

// The work folder of the settings without a trailing separator; an empty or relative setting
// gives the default folder (a copy must never land in the current or root folder), or nothing
// when the default folder's name is not UTF-8.
std::u16string workFolderOf(const Settings& settings);
// The backup folder with a trailing separator, or empty for no backups. A relative setting is
// taken below the default work folder, and gives nothing when that folder's name is not UTF-8.
std::u16string backupFolderOf(const Settings& settings);

// Creates the work folder when missing (mode 0700) and checks that it is private. 0, EPERM when
// other users could write into it, EILSEQ for an empty folder (none could be named), or the
// system error code.
int prepareWorkFolder(const std::u16string& folder);

// What a start does before any file is opened: finishes the saves a crash interrupted, and
// removes helper files and copies of dead processes that hold nothing to recover.
void cleanUpWorkFolder(const Settings& settings);

}  // namespace nibblet
