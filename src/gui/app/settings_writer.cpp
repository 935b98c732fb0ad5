#include "gui/app/settings_writer.h"

#include <cstdio>

#include "core/i18n/show_message.h"
#include "core/i18n/string_ids.h"
#include "core/platform/unicode.h"
#include "core/settings/settings_store.h"
#include "gui/app/app_context.h"

namespace nibblet {

bool writeSettings(AppContext& context, bool windowShown) {
  if (storeSettings(context.key, context.settings)) return true;
  if (context.settingsFailureTold) return false;
  context.settingsFailureTold = true;
  const Texts& t = context.texts;
  if (windowShown)
    showMessage(context.messages, t.loadText(kIdsError), kStyleError, t.loadText(kIdsSettingsNotStored));
  else
    std::fprintf(stderr, "%s\n", toUtf8(std::u16string(t.loadText(kIdsSettingsNotStored))).c_str());
  return false;
}

}  // namespace nibblet
