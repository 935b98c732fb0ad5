#pragma once
// What the browser says about entries that are not files: pipes, sockets, devices and links
// that reach nothing. They are listed as what they are and refused, with a reason, when chosen.

#include "core/platform/file_system.h"

namespace nibblet {

// The id of the text saying why an entry of `type` cannot be chosen (its %s takes the path);
// 0 for a plain file or folder.
int refusalText(EntryType type);

// The id of the short name of `type`, shown where a file shows its size; 0 for Plain.
int typeText(EntryType type);

}  // namespace nibblet
