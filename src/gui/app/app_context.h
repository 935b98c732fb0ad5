#pragma once
// Everything that lives for the whole run of the program: the screen scale, the settings and
// the other stored values, the texts and the platform services the core calls.

#include <cstdint>
#include <string>

#include "core/convert/evaluator.h"
#include "core/i18n/language_list.h"
#include "core/i18n/string_module.h"
#include "core/platform/registry_key.h"
#include "core/settings/recent_files.h"
#include "core/settings/settings.h"
#include "gui/platform/qt_code_page.h"
#include "gui/platform/qt_message_box.h"
#include "gui/platform/qt_wait_cursor.h"
#include "gui/platform/screen_scale.h"

namespace nibblet {

struct AppContext {
  explicit AppContext(RegistryKey& registryKey) : key(registryKey) {
    messages.setTexts(&texts);
    waitCursor.setTexts(&texts);
  }

  RegistryKey& key;
  ScreenScale scale;
  Settings settings;
  RecentFiles recentFiles;
  Texts texts;
  LanguageList languages;  // the language modules found at start-up
  std::u16string lastFolder;  // the file browser's last folder ("lastFDPath")
  std::u16string programFolder;
  // The converter's number and the evaluator's variables live for the whole run.
  Evaluator evaluator;
  std::uint32_t converterValue = 0;
  bool settingsFailureTold = false;  // a failed store of the settings was reported
  QtMessageBox messages;
  QtWaitCursor waitCursor;
  QtCodePage codePage;
};

}  // namespace nibblet
