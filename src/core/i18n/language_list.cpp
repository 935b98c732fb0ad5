#include "core/i18n/language_list.h"

#include <algorithm>

#include "core/i18n/text_format.h"
#include "core/platform/file_system.h"
#include "core/platform/unicode.h"

namespace nibblet {
namespace {

constexpr std::u16string_view kModulePrefix = u"nibblet.exe.";
constexpr std::u16string_view kModuleSuffix = u".mui";
constexpr std::size_t kMaxLanguageName = 259;

// The name matches "nibblet.exe.*.mui", ignoring case.
bool looksLikeModule(const std::u16string& name) {
  std::u16string lower = toLower(name);
  return lower.size() >= kModulePrefix.size() + kModuleSuffix.size() &&
         lower.starts_with(kModulePrefix) && lower.ends_with(kModuleSuffix);
}

// Reads hexadecimal digits from the start of `text` (after blanks and an optional 0x) and
// keeps the low 16 bits of their value; no digits give 0.
std::uint16_t readHexId(std::u16string_view text) {
  while (!text.empty() && (text.front() == u' ' || text.front() == u'\t')) text.remove_prefix(1);
  if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X'))
    text.remove_prefix(2);
  std::uint16_t id = 0;
  for (char16_t c : text) {
    int digit = c >= u'0' && c <= u'9'   ? c - u'0'
                : c >= u'a' && c <= u'f' ? c - u'a' + 10
                : c >= u'A' && c <= u'F' ? c - u'A' + 10
                                         : -1;
    if (digit < 0) break;
    id = static_cast<std::uint16_t>((id << 4) | digit);
  }
  return id;
}

// The name of language `id` from `names`, or the id as "%x"; at most 259 characters.
std::u16string languageName(std::uint16_t id, const LanguageNames& names) {
  std::u16string name;
  if (!names.name(id, name) || name.empty()) name = formatText(u"%x", {static_cast<int>(id)});
  if (name.size() > kMaxLanguageName) name.resize(kMaxLanguageName);
  return name;
}

}  // namespace

LanguageList buildLanguageList(const std::u16string& folder, const LanguageNames& names) {
  return buildLanguageList(std::vector<std::u16string>{folder}, names);
}

LanguageList buildLanguageList(const std::vector<std::u16string>& folders, const LanguageNames& names) {
  LanguageList list;
  list.names.push_back(u"Default");
  list.paths.emplace_back();
  list.ids.push_back(0);

  std::vector<std::u16string> seen;  // folded file names already listed from an earlier folder
  for (const std::u16string& folder : folders) {
    std::vector<FolderEntry> entries;
    if (listFolder(folder, entries) != 0) continue;
    std::vector<std::u16string> seenHere;
    for (const FolderEntry& entry : entries) {
      if ((entry.attributes & kAttrDirectory) != 0 || !looksLikeModule(entry.name)) continue;
      // The markers are looked for in the file's own name only, so a folder whose name holds
      // ".exe." or ".mui" cannot hide or misread the modules inside it.
      std::u16string lower = toLower(entry.name);
      if (std::find(seen.begin(), seen.end(), lower) != seen.end()) continue;
      std::size_t exe = lower.find(u".exe.");
      std::size_t mui = lower.find(u".mui");
      if (exe == std::u16string::npos || mui == std::u16string::npos || mui < exe + 5) continue;
      std::uint16_t id = readHexId(std::u16string_view(entry.name).substr(exe + 5, mui - exe - 5));

      list.names.push_back(languageName(id, names));
      list.paths.push_back(joinPath(folder, entry.name));
      list.ids.push_back(id);
      seenHere.push_back(std::move(lower));
    }
    seen.insert(seen.end(), seenHere.begin(), seenHere.end());
  }
  return list;
}

void nameLanguages(LanguageList& list, const LanguageNames& names, std::u16string_view defaultName) {
  if (list.names.empty()) return;
  list.names[0] = defaultName.empty() ? std::u16string(u"Default") : std::u16string(defaultName);
  for (std::size_t i = 1; i < list.names.size() && i < list.ids.size(); ++i)
    list.names[i] = languageName(list.ids[i], names);
}

std::unique_ptr<StringModule> selectLanguage(const LanguageList& list, int index) {
  if (index <= 0 || static_cast<std::size_t>(index) >= list.ids.size()) return nullptr;
  const std::u16string& listed = list.paths[static_cast<std::size_t>(index)];
  std::size_t cut = listed.rfind(kPathSeparator);
  std::u16string folder = withSeparator(cut == std::u16string::npos ? std::u16string() : listed.substr(0, cut));
  std::u16string wanted =
      formatText(u"nibblet.exe.%04x.mui", {static_cast<int>(list.ids[static_cast<std::size_t>(index)])});
  // The name is matched ignoring case, as the listing did: NIBBLET.EXE.0407.MUI is found too.
  // An exact spelling wins over other spellings of the same name.
  std::u16string path;
  std::vector<FolderEntry> entries;
  if (listFolder(folder, entries) != 0) return nullptr;
  for (const FolderEntry& entry : entries) {
    if (entry.name == wanted) {
      path = joinPath(folder, entry.name);
      break;
    }
    if (path.empty() && toLower(entry.name) == wanted) path = joinPath(folder, entry.name);
  }
  if (path.empty() || !isFile(path)) return nullptr;
  auto module = std::make_unique<StringModule>();
  // A module without its menus and dialogs would leave the program without a menu bar, and so
  // without a way back to the settings; it is refused like one that cannot be read.
  if (!module->load(path) || !module->isComplete()) return nullptr;
  return module;
}

}  // namespace nibblet
