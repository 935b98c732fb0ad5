#pragma once
// The nine most recently opened files, newest first, stored as "MRU0".."MRU8".

#include <array>
#include <string>

#include "core/platform/registry_key.h"

namespace nibblet {

class RecentFiles {
 public:
  static constexpr int kCount = 9;

  // Empties every entry, then reads "MRU0".."MRU8" (strings only, at most 259 characters),
  // each tidied by normalisePath.
  void load(RegistryKey& key);
  // Moves `path` to the top (dropping an older entry equal to it ignoring case, or else the
  // oldest) and writes all nine values at once, unless the list and the store already held it
  // so. A relative path is stored absolute, against the current folder (links are not resolved).
  void add(RegistryKey& key, const std::u16string& path);

  const std::u16string& entry(int i) const { return m_entries[static_cast<std::size_t>(i)]; }

 private:
  void store(RegistryKey& key) const;
  std::array<std::u16string, kCount> m_entries;
  bool m_stored = false;  // the store holds m_entries as they are
};

}  // namespace nibblet
