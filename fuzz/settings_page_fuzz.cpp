// Runs a stored settings record (any bytes, padded or cut to the record's length) through the
// settings page's rows: every row refreshed, made active, edited and committed, and every colour
// text read by the colour picker. A damaged record must never lead outside a field.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/i18n/string_module.h"
#include "core/settings/settings.h"
#include "core/settings_ui/colour_picker_model.h"
#include "core/settings_ui/settings_rows.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace nibblet;
  std::vector<std::uint8_t> bytes(data, data + size);
  bytes.resize(kSettingsSize, 0);
  Settings settings;
  if (!settings.fromBytes(bytes)) std::abort();

  static const Texts texts;
  const std::vector<std::u16string> languages{u"Default", u"Deutsch"};
  SettingsDialogs dialogs;
  dialogs.chooseFolder = [](std::u16string& folder) {
    folder = std::u16string(300, u'd');
    return true;
  };
  dialogs.pickColour = [](std::u16string& colour, const std::u16string&) {
    ColourPickerModel picker(colour);
    picker.ok();
    colour = picker.colourText();
    return true;
  };
  PropertySheetModel sheet(texts);
  sheet.addPage(u"Settings", [&](PropertySheetModel& s) { buildSettingsRows(s, settings, languages, texts, dialogs); });
  if (!sheet.selectPage(0) || sheet.rowCount() != 12) std::abort();
  for (int i = 0; i < sheet.rowCount(); ++i) {
    PropertyRow& row = *sheet.row(i);
    if (row.rowKind != kRowText && (row.choiceIndex < 0 || row.choiceIndex >= static_cast<int>(row.choices.size())))
      std::abort();
    sheet.activateRow(i);
    if (row.rowKind == kRowText) {
      ColourPickerModel picker(row.valueText);
      for (Component c : {Component::Red, Component::Green, Component::Blue})
        if (picker.component(c) < 0 || picker.component(c) > 255) std::abort();
      sheet.pressButton();
      sheet.editText(row.valueText + std::u16string(1100, u'x'));
      if (row.valueText.size() >= static_cast<std::size_t>(row.maxChars)) std::abort();
    } else {
      sheet.editChoice(static_cast<int>(row.choices.size()) - 1);
    }
  }
  sheet.activateRow(-1);
  return 0;
}
