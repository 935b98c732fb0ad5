#pragma once
// Writes the settings record, and says once per run when that failed (a full or read-only
// disk, a damaged settings file), so choices are not lost without a word.

namespace nibblet {

struct AppContext;

// Stores the settings. The first failure is shown in a message box while a window is there to
// own it (`windowShown`), and written to the standard error at exit otherwise. Returns whether
// the settings were stored.
bool writeSettings(AppContext& context, bool windowShown);

}  // namespace nibblet
