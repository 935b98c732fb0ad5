#include "core/convert/variable_table.h"

#include <cstring>

namespace nibblet {

namespace {

std::string_view cutName(std::string_view name) {
  return name.substr(0, VariableTable::kNameLength);
}

}  // namespace

std::string_view VariableTable::Slot::nameView() const {
  return std::string_view(name.data(), std::strlen(name.data()));
}

std::size_t VariableTable::find(std::string_view name) const {
  name = cutName(name);
  if (name.empty()) return kSlotCount;
  for (std::size_t i = 0; i < kSlotCount; ++i)
    if (m_slots[i].nameView() == name) return i;
  return kSlotCount;
}

bool VariableTable::lookup(std::string_view name, double& value) const {
  std::size_t i = find(name);
  if (i == kSlotCount) return false;
  value = m_slots[i].value;
  return true;
}

bool VariableTable::store(std::string_view name, double value) {
  name = cutName(name);
  if (name.empty()) return false;
  remove(name);
  for (Slot& slot : m_slots) {
    if (slot.name[0] != '\0') continue;
    std::memcpy(slot.name.data(), name.data(), name.size());
    slot.name[name.size()] = '\0';
    slot.value = value;
    return true;
  }
  return false;
}

bool VariableTable::remove(std::string_view name) {
  std::size_t i = find(name);
  if (i == kSlotCount) return false;
  m_slots[i] = Slot{};
  return true;
}

std::size_t VariableTable::count() const {
  std::size_t n = 0;
  for (const Slot& slot : m_slots)
    if (slot.name[0] != '\0') ++n;
  return n;
}

}  // namespace nibblet
