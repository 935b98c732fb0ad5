#include "core/settings_ui/settings_rows.h"

#include "core/i18n/string_ids.h"
#include "core/i18n/string_module.h"

namespace nibblet {
namespace {

RowSpec textRow(int label, char16_t* field, std::size_t chars, const Texts& texts) {
  RowSpec plan;
  plan.rowKind = kRowText;
  plan.bound = field;
  plan.maxChars = static_cast<std::int32_t>(chars);
  plan.label = texts.loadText(label);
  return plan;
}

RowSpec choiceRow(std::uint32_t kind, int label, void* field, std::int32_t size, const Texts& texts) {
  RowSpec plan;
  plan.rowKind = kind;
  plan.bound = field;
  plan.maxChars = size;
  plan.label = texts.loadText(label);
  return plan;
}

}  // namespace

bool chooseFolderForRow(PropertyRow& row, const SettingsDialogs& dialogs) {
  if (!dialogs.chooseFolder || !row.isFolderRow) return false;
  std::u16string folder;
  if (!dialogs.chooseFolder(folder) || folder.empty()) return false;
  row.valueText = folder;
  commitRow(row);
  // The row shows what the field could hold.
  refreshRow(row);
  return true;
}

bool pickColourForRow(PropertyRow& row, const SettingsDialogs& dialogs) {
  if (!dialogs.pickColour) return false;
  std::u16string colour = row.valueText;
  if (!dialogs.pickColour(colour, row.label)) return false;
  row.valueText = colour;
  commitRow(row);
  return false;
}

void buildSettingsRows(PropertySheetModel& sheet, Settings& settings,
                       const std::vector<std::u16string>& languageNames, const Texts& texts,
                       const SettingsDialogs& dialogs) {
  RowSpec language = choiceRow(kRowIntChoice, kIdsLanguage, &settings.languageIndex, 4, texts);
  language.choices = languageNames;
  sheet.addRow(language);

  RowSpec openMode = choiceRow(kRowIntYesNo, kIdsOpenMode, &settings.openMode, 4, texts);
  openMode.hint = texts.loadText(kIdsOpenModeHint);
  openMode.choices = splitChoices(texts.loadText(kIdsOpenModeChoices));
  sheet.addRow(openMode);

  const SettingsDialogs* actions = &dialogs;
  auto folderRow = [&](int label, PathText& field, int hint) {
    RowSpec plan = textRow(label, field.data(), field.size(), texts);
    if (hint) plan.hint = texts.loadText(hint);
    plan.isFolderRow = true;
    plan.onButton = [actions](PropertyRow& row) { return chooseFolderForRow(row, *actions); };
    sheet.addRow(plan);
  };
  folderRow(kIdsWorkPath, settings.workPath, 0);
  folderRow(kIdsBackupPath, settings.backupPath, kIdsBackupHint);

  auto colourRow = [&](int label, ColorText& field) {
    RowSpec plan = textRow(label, field.data(), field.size(), texts);
    plan.isColourRow = true;
    plan.onButton = [actions](PropertyRow& row) { return pickColourForRow(row, *actions); };
    sheet.addRow(plan);
  };
  colourRow(kIdsChangesColor, settings.changesColor);
  colourRow(kIdsEditStartColor, settings.editStartColor);
  colourRow(kIdsSearchResultColor, settings.searchResultColor);
  colourRow(kIdsSelectedColor, settings.selectedColor);
  colourRow(kIdsDiffColor, settings.diffColor);

  sheet.addRow(choiceRow(kRowIntYesNo, kIdsUseClearType, &settings.useClearType, 4, texts));
  sheet.addRow(choiceRow(kRowIntYesNo, kIdsUseBoldFont, &settings.useBoldFont, 4, texts));
  sheet.addRow(choiceRow(kRowByteNoYes, kIdsShowToolbar, &settings.showToolbar, 1, texts));
}

}  // namespace nibblet
