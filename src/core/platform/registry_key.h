#pragma once
// The program's one registry key (organisation "vq", application "pelta"). The core reads and
// writes values only through this interface; the program backs it with QSettings and the tests
// with MemoryRegistryKey.

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace nibblet {

enum class ValueType { Binary, String, Other };

struct RegistryValue {
  ValueType type = ValueType::Other;
  std::vector<std::uint8_t> binary;  // for Binary
  std::u16string text;               // for String
};

class RegistryKey {
 public:
  virtual ~RegistryKey() = default;
  // Returns false when the value is missing or cannot be read.
  virtual bool query(const std::u16string& name, RegistryValue& out) = 0;
  // Both setters create the key when needed; false when the write failed.
  virtual bool setBinary(const std::u16string& name, const std::vector<std::uint8_t>& bytes) = 0;
  virtual bool setString(const std::u16string& name, const std::u16string& text) = 0;
  // Sets several string values, written out together where the store can (one write of the
  // settings file instead of one per value); false when any write failed.
  virtual bool setStrings(const std::vector<std::pair<std::u16string, std::u16string>>& values) {
    bool ok = true;
    for (const auto& [name, text] : values) ok &= setString(name, text);
    return ok;
  }
};

// An in-memory key, for tests and for running without a settings store.
class MemoryRegistryKey : public RegistryKey {
 public:
  bool query(const std::u16string& name, RegistryValue& out) override;
  bool setBinary(const std::u16string& name, const std::vector<std::uint8_t>& bytes) override;
  bool setString(const std::u16string& name, const std::u16string& text) override;

  // Stores any value as it is, so tests can plant damaged or mistyped values.
  void put(const std::u16string& name, RegistryValue value);
  bool has(const std::u16string& name) const { return m_values.count(name) != 0; }
  int writeCount() const { return m_writes; }

 private:
  std::map<std::u16string, RegistryValue> m_values;
  int m_writes = 0;
};

}  // namespace nibblet
