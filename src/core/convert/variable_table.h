#pragma once
// The user's variables: 50 named doubles that live for the whole run of the program. A slot
// with an empty name is free; lookups and new variables go from slot 0 upwards.

#include <array>
#include <cstddef>
#include <string_view>

namespace nibblet {

class VariableTable {
 public:
  static constexpr std::size_t kSlotCount = 50;
  static constexpr std::size_t kNameLength = 15;

  VariableTable() = default;
  VariableTable(const VariableTable&) = delete;
  VariableTable& operator=(const VariableTable&) = delete;

  // Names longer than kNameLength are cut to it by every function below, so a long name and
  // its first 15 characters are the same variable.

  // True and the value when a variable of that name exists.
  bool lookup(std::string_view name, double& value) const;
  // Deletes a variable of the same name, then stores the value in the lowest free slot.
  // False when no slot is free (only possible for a new name) or the name is empty.
  bool store(std::string_view name, double value);
  // Frees the slot of the variable of that name; false when there was none.
  bool remove(std::string_view name);
  // The number of slots in use.
  std::size_t count() const;

 private:
  struct Slot {
    std::array<char, kNameLength + 1> name{};  // NUL-terminated; empty = free
    double value = 0;

    std::string_view nameView() const;
  };

  // The index of the slot holding that name, or kSlotCount.
  std::size_t find(std::string_view name) const;

  std::array<Slot, kSlotCount> m_slots{};
};

}  // namespace nibblet
