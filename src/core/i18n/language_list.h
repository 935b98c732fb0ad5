#pragma once
// The language modules found beside the program, and the choice of one at start-up.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
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

// Entry 0 ("Default", no path, id 0), then one entry per "nibblet.exe.*.mui" in `folder`
// (any case; folders skipped), in the order the system returns them. The language id is the
// hexadecimal number between ".exe." and ".mui" of the file name, cut to 16 bits; its name
// comes from `names` (at most 259 characters) or is the id as "%x". A name whose ".mui" does
// not follow ".exe." is skipped. A folder that cannot be listed gives entry 0 alone.
LanguageList buildLanguageList(const std::u16string& folder, const LanguageNames& names);

// The same over several folders in turn (the program's own folder first, then the folder an
// installation keeps its modules in); a file name listed from an earlier folder, compared
// ignoring case, is not listed again from a later one. Folders that cannot be listed are passed.
LanguageList buildLanguageList(const std::vector<std::u16string>& folders, const LanguageNames& names);

// Names the entries again once the language the program shows is known: entry 0 gets
// `defaultName` (the chosen module's "Default"; "Default" itself when empty), the others their
// names from `names`, which writes them in that language, or their ids as "%x".
void nameLanguages(LanguageList& list, const LanguageNames& names, std::u16string_view defaultName);

// Loads the module of entry `index` as "nibblet.exe.%04x.mui" in the folder the entry was listed
// from (so a module listed from nibblet.exe.409.mui is looked for as nibblet.exe.0409.mui). The
// name is matched ignoring case, as the listing matches it. Null, meaning the program's own
// resources, for an index of 0 or less, one past the list, no such plain file, and a module that
// does not parse or lacks menu 101, menu 158, dialog 930 or 109.
std::unique_ptr<StringModule> selectLanguage(const LanguageList& list, int index);

}  // namespace nibblet
