#pragma once
// Reading and writing the program's persistent values in its registry key: the Settings record
// ("main"), the recent files ("MRU0".."MRU8") and the file browser's last folder ("lastFDPath").

#include <string>

#include "core/platform/registry_key.h"
#include "core/settings/settings.h"

namespace nibblet {

// Loads "main". A value that is missing, unreadable, not binary, or not exactly 1568 bytes long
// (reads are limited to 8096 bytes) is replaced by the defaults, which are written back at once.
// Returns true when the stored record was used.
bool loadSettings(RegistryKey& key, Settings& settings, const std::u16string& defaultWorkPath);

// Writes the record as "main"; false when the write failed (not reported to the user).
bool storeSettings(RegistryKey& key, const Settings& settings);

// Reads a string value: at most 259 characters; a value of another type reads as empty.
std::u16string readStringValue(RegistryKey& key, const std::u16string& name);

// The file browser's last folder.
std::u16string loadLastFolder(RegistryKey& key);
void storeLastFolder(RegistryKey& key, const std::u16string& folder);

}  // namespace nibblet
