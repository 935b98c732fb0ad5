#pragma once
// The language modules found beside the program, and the choice of one at start-up.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/i18n/string_module.h"

namespace nibblet {

// The system's display name of a language id; the program asks ICU.
class LanguageNames {
 public:
  virtual ~LanguageNames() = default;
  // False when the system has no name for `id`.
  virtual bool name(std::uint16_t id, std::u16string& out) const = 0;
};

struct LanguageList {
  std::vector<std::u16string> names;  // entry 0 is "Default"
  std::vector<std::u16string> paths;  // entry 0 is empty
  std::vector<std::uint16_t> ids;     // entry 0 is 0
  std::size_t size() const { return names.size(); }
};

// Lists "nibblet.exe.*.mui" files (not folders) in `folder`, in the order the system returns.
LanguageList buildLanguageList(const std::u16string& folder, const LanguageNames& names);

// Loads the module of entry `index` as "<folder>/nibblet.exe.%04x.mui"; null for index 0, an
// index outside the list, a missing file or one that does not parse.
std::unique_ptr<StringModule> selectLanguage(const LanguageList& list, int index,
                                             const std::u16string& folder);

}  // namespace nibblet
