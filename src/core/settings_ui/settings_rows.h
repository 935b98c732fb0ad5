#pragma once
// The settings page's one page: twelve rows bound to the fields of the Settings record, and the
// "..." actions of its folder and colour rows.

#include <functional>
#include <string>
#include <vector>

#include "core/settings/settings.h"
#include "core/settings_ui/property_sheet_model.h"

namespace nibblet {

class Texts;

// The dialogs the "..." actions run; the settings page supplies them.
struct SettingsDialogs {
  // Asks for a folder. False when cancelled; `folder` is then untouched. On true, `folder` is the
  // chosen folder without trailing separator, or empty for the root.
  std::function<bool(std::u16string& folder)> chooseFolder;
  // Runs the colour picker from `colour`, captioned `title` (the row's label). True when
  // confirmed; `colour` is then its text.
  std::function<bool(std::u16string& colour, const std::u16string& title)> pickColour;
};

// Adds the rows, in order: Language, Open mode, Work path, Backup path, the five colours,
// ClearType, bold font, toolbar. `settings`, `languageNames` and `dialogs` must outlive the rows.
void buildSettingsRows(PropertySheetModel& sheet, Settings& settings,
                       const std::vector<std::u16string>& languageNames, const Texts& texts,
                       const SettingsDialogs& dialogs);

// The "..." action of a folder row: a cancelled browser or the root leave the row unchanged
// (false); otherwise the folder is stored (cut to the field) and shown, and the result is true.
bool chooseFolderForRow(PropertyRow& row, const SettingsDialogs& dialogs);
// The "..." action of a colour row: a confirmed colour is stored and shown. The result is always
// false: the editor's own change notice redraws the row.
bool pickColourForRow(PropertyRow& row, const SettingsDialogs& dialogs);

}  // namespace nibblet
