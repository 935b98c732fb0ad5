#include "core/platform/registry_key.h"

namespace nibblet {

bool MemoryRegistryKey::query(const std::u16string& name, RegistryValue& out) {
  auto it = m_values.find(name);
  if (it == m_values.end()) return false;
  out = it->second;
  return true;
}

bool MemoryRegistryKey::setBinary(const std::u16string& name,
                                  const std::vector<std::uint8_t>& bytes) {
  RegistryValue v;
  v.type = ValueType::Binary;
  v.binary = bytes;
  m_values[name] = std::move(v);
  ++m_writes;
  return true;
}

bool MemoryRegistryKey::setString(const std::u16string& name, const std::u16string& text) {
  RegistryValue v;
  v.type = ValueType::String;
  v.text = text;
  m_values[name] = std::move(v);
  ++m_writes;
  return true;
}

void MemoryRegistryKey::put(const std::u16string& name, RegistryValue value) {
  m_values[name] = std::move(value);
}

}  // namespace nibblet
