#include "core/settings/settings_store.h"

#include "core/platform/file_system.h"

namespace nibblet {
namespace {

constexpr std::size_t kReadBufferSize = 8096;
const std::u16string kMainValue = u"main";
const std::u16string kLastFolderValue = u"lastFDPath";

}  // namespace

bool loadSettings(RegistryKey& key, Settings& settings, const std::u16string& defaultWorkPath) {
  RegistryValue value;
  if (key.query(kMainValue, value) && value.type == ValueType::Binary &&
      value.binary.size() <= kReadBufferSize && value.binary.size() == kSettingsSize) {
    Settings stored = Settings::defaults(defaultWorkPath);
    if (stored.fromBytes(value.binary)) {
      settings = stored;
      return true;
    }
  }
  settings = Settings::defaults(defaultWorkPath);
  storeSettings(key, settings);
  return false;
}

bool storeSettings(RegistryKey& key, const Settings& settings) {
  return key.setBinary(kMainValue, settings.toBytes());
}

std::u16string readStringValue(RegistryKey& key, const std::u16string& name) {
  RegistryValue value;
  if (!key.query(name, value) || value.type != ValueType::String) return {};
  std::u16string text = value.text;
  // A stored string ends at its first zero, like the fixed buffer it is read into.
  auto zero = text.find(u'\0');
  if (zero != std::u16string::npos) text.resize(zero);
  if (text.size() > kMaxPath) text.resize(kMaxPath);
  return text;
}

std::u16string loadLastFolder(RegistryKey& key) { return readStringValue(key, kLastFolderValue); }

void storeLastFolder(RegistryKey& key, const std::u16string& folder) {
  key.setString(kLastFolderValue, folder);
}

}  // namespace nibblet
