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
  // A stored entry is shown and opened in its tidy form, however it was written.
  for (int i = 0; i < kCount; ++i)
    m_entries[static_cast<std::size_t>(i)] = normalisePath(readStringValue(key, valueName(i)));
}

void RecentFiles::add(RegistryKey& key, const std::u16string& path) {
  // A relative path would name another file, or none, once the program starts elsewhere.
  std::u16string full;
  if (path.empty() || !absolutePath(path, full)) full = path;
  std::u16string entry = full.size() > kMaxPath ? full.substr(0, kMaxPath) : full;
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
  store(key);
}

void RecentFiles::store(RegistryKey& key) const {
  for (int i = 0; i < kCount; ++i) key.setString(valueName(i), m_entries[static_cast<std::size_t>(i)]);
}

}  // namespace nibblet
