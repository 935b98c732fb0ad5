#pragma once
// The program's registry key on QSettings (native format, organisation "vq", application
// "pelta"): binary values are QByteArray, string values QString.

#include <QSettings>

#include "core/platform/registry_key.h"

namespace nibblet {

class QtRegistryKey : public RegistryKey {
 public:
  QtRegistryKey();
  bool query(const std::u16string& name, RegistryValue& out) override;
  bool setBinary(const std::u16string& name, const std::vector<std::uint8_t>& bytes) override;
  bool setString(const std::u16string& name, const std::u16string& text) override;
  bool setStrings(const std::vector<std::pair<std::u16string, std::u16string>>& values) override;

 private:
  QSettings m_settings;
};

}  // namespace nibblet
