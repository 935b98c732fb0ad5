#include "core/settings/recent_files.h"

#include "core/platform/file_system.h"
#include "core/platform/lexical_path.h"
#include "core/platform/unicode.h"
#include "core/settings/settings_store.h"

namespace nibblet {
namespace {

std::u16string valueName(int i) { return u"MRU" + fromAscii(std::to_string(i)); }

}  // namespace

void RecentFiles::load(RegistryKey& key) {
  m_stored = true;
  for (int i = 0; i < kCount; ++i) {
    std::u16string& entry = m_entries[static_cast<std::size_t>(i)];
    // A stored entry is shown and opened in its tidy form, however it was written.
    entry = normalisePath(readStringValue(key, valueName(i)));
    // The store holds the list exactly when every value is there as the text read from it.
    RegistryValue value;
    m_stored = m_stored && key.query(valueName(i), value) && value.type == ValueType::String && value.text == entry;
  }
}

void RecentFiles::add(RegistryKey& key, const std::u16string& path) {
  // A relative path would name another file, or none, once the program starts elsewhere.
  std::u16string full;
  if (path.empty() || !absolutePath(path, full)) full = path;
  std::u16string entry = full.size() > kMaxPath ? full.substr(0, kMaxPath) : full;
  const std::array<std::u16string, kCount> before = m_entries;
  for (int i = 0; i < kCount; ++i) {
    if (equalsIgnoringCase(m_entries[static_cast<std::size_t>(i)], entry)) {
      for (int j = i; j + 1 < kCount; ++j)
        m_entries[static_cast<std::size_t>(j)] = m_entries[static_cast<std::size_t>(j + 1)];
      m_entries[kCount - 1].clear();
      break;
    }
  }
  for (int j = kCount - 1; j > 0; --j)
    m_entries[static_cast<std::size_t>(j)] = m_entries[static_cast<std::size_t>(j - 1)];
  m_entries[0] = entry;
  // Opening the newest file again changes nothing: the settings file is not written again.
  if (m_entries == before && m_stored) return;
  store(key);
  m_stored = true;
}

void RecentFiles::store(RegistryKey& key) const {
  // All nine together: the settings file is written once per open, not nine times.
  std::vector<std::pair<std::u16string, std::u16string>> values;
  for (int i = 0; i < kCount; ++i) values.emplace_back(valueName(i), m_entries[static_cast<std::size_t>(i)]);
  key.setStrings(values);
}

}  // namespace nibblet
