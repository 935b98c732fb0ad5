// Checks the English resources built into the program and every language module shipped in
// resources/, so a translation with a lost placeholder or a broken menu fails the build's tests.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/i18n/command_ids.h"
#include "core/i18n/string_ids.h"
#include "core/i18n/string_module.h"
#include "core/platform/unicode.h"

namespace nibblet {
namespace {

// The menu's ids and separators, with the texts when `withTexts`: P for a pop-up, - for a
// separator, children in braces.
std::string shape(const std::vector<MenuItem>& items, bool withTexts) {
  std::string out;
  for (const MenuItem& item : items) {
    if (!out.empty()) out += ',';
    if (item.isSeparator) {
      out += '-';
      continue;
    }
    if (item.isPopup) out += 'P';
    out += std::to_string(item.id);
    if (withTexts) out.append(":").append(toUtf8(item.text));
    if (item.isPopup) out.append("{").append(shape(item.children, withTexts)).append("}");
  }
  return out;
}

// The printf conversions of a text, in order ("%s", "%02X", ...), without "%%".
std::vector<std::u16string> conversions(std::u16string_view text) {
  std::vector<std::u16string> out;
  const std::u16string_view inside = u"-+ #0123456789.*hlLzjtqwI";
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'%') continue;
    std::size_t start = i++;
    if (i < text.size() && text[i] == u'%') continue;
    while (i < text.size() && inside.find(text[i]) != std::u16string_view::npos) ++i;
    out.emplace_back(text.substr(start, i - start + 1));
  }
  return out;
}

std::filesystem::path resourcesFolder() {
  std::error_code ec;
  auto fromSource = std::filesystem::path(__FILE__).parent_path() / "../../../resources";
  if (std::filesystem::is_directory(fromSource, ec)) return fromSource;
  const char* bin = std::getenv("NIBBLET_TEST_BIN");
  return bin ? std::filesystem::path(bin) : std::filesystem::path(".");
}

std::vector<std::filesystem::path> shippedModules() {
  std::vector<std::filesystem::path> out;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(resourcesFolder(), ec))
    if (entry.path().extension() == ".mui") out.push_back(entry.path());
  return out;
}

const std::string kEnglishMenu101 =
    "P40001:File{40007:Open,40032:Save,40011:Close,-,40053:Recent files,-,"
    "P0:Differences{40076:Compare ...,40120:Compare with backup,40077:Save differences,40078:Clear,-,"
    "40070:Save changes as diff,40072:Import diff},-,40009:Exit},"
    "P40004:Tools{40024:Undo,40027:Undo All,-,40034:Search,40059:Search next,40036:Goto,"
    "40079:Goto next diff,-,40074:Converter,-,P0:Font size{40039:10,40040:11,40041:12,40042:13,"
    "40043:14,40044:15,40045:16,40046:17,40047:18},40055:Settings}";
const std::string kEnglishMenu158 =
    "P0:Action{1:OK,2:Cancel},"
    "P0:Tools{702:Switch window,904:Report view,906:List view,905:Folder Up,907:New folder,908:Delete}";

TEST(ShippedResources, EnglishHasEveryTextMenuAndDialog) {
  const StringModule& english = builtinModule();
  std::set<int> ids;
  for (const auto& [id, text] : english.texts()) ids.insert(id);
  std::set<int> expected = {40003, 40006, 40008, 40010, 40012, 40013, 40014, 40015, 40016, 40017,
                            40018, 40019, 40020, 40021, 40022, 40023, 40025, 40026, 40028, 40029,
                            40030, 40031, 40033, 40035, 40037, 40038, 40048, 40049, 40050, 40051,
                            40052, 40058, 40060, 40061, 40062, 40063, 40064, 40065, 40066, 40067,
                            40068, 40069, 40071, 40073, 40075, 40081, 40082, 40083, 40084, 40085,
                            40086, 40087, 40088, 40089, 40090, 40091, 40092, 40093, 40094, 40095,
                            40096, 40097, 40098, 40099, 40100, 40101, 40102, 40103, 40104, 40105,
                            40106, 40107, 40108, 40109, 40110, 40111, 40112, 40121, 40122, 40200,
                            40201, 40202, 40203, 40204, 40205, 40206, 40300, 40301, 40302, 40303,
                            40304, 40305, 40306,
                            40340, 40341, 40342, 40343, 40344, 40345, 40346, 40347, 40348, 40349,
                            40350, 40351, 40352, 40353, 40354, 40355, 40356, 40357,
                            40358, 40359, 40360, 40400, 40401, 40402};
  // Recovery and safe saving.
  for (int id = 40207; id <= 40220; ++id) expected.insert(id);
  // The values panel's texts.
  for (int id : {40500, 40501, 40502, 40503, 40504, 40505, 40506, 40507, 40508, 40510, 40511, 40512,
                 40513, 40514, 40515, 40516, 40517, 40520, 40521, 40522, 40523, 40524, 40525, 40526,
                 40527, 40528, 40529, 40530, 40531, 40532, 40533, 40534, 40535, 40540, 40541, 40542})
    expected.insert(id);
  EXPECT_EQ(ids.size(), 93u + 14u + 21u + 3u + 36u);
  EXPECT_EQ(ids, expected);
  // The texts whose odd spelling, blanks and escapes are easy to "fix" by mistake.
  EXPECT_EQ(*english.text(kIdsInternalError), u"Internal error  %d (%d).");
  EXPECT_EQ(*english.text(kIdsBackupHint), u"If field empty Nibblet  will not make backup copy");
  EXPECT_EQ(*english.text(kIdsUndoAllQuestion), u"Undo all maked (%d) changes?");
  EXPECT_EQ(*english.text(kIdsOpenModeHint),
            u"\"on the spot\" - all changes will be writed immediatelly!");
  EXPECT_EQ(*english.text(kIdsDifferentSizes),
            u"Files have different sizes.\n%s - %d bytes.\n%s - %d bytes.");
  EXPECT_EQ(*english.text(kIdsKeepChangesQuestion),
            u"In this mode (\"on the spot\") all changes already writed to file. You want keep this "
            u"changes?");

  ASSERT_TRUE(english.isComplete());
  EXPECT_EQ(shape(english.menu(kMenuMain)->items, true), kEnglishMenu101);
  EXPECT_EQ(shape(english.menu(kMenuBrowser)->items, true), kEnglishMenu158);
  const DialogResource& converter = *english.dialog(kDialogConverter);
  EXPECT_EQ(converter.caption, u"converter");
  EXPECT_EQ(converter.labels, (std::vector<std::u16string>{u"to", u"from",
                                                           u"You want convert or evaluate", u"Copy as"}));
  EXPECT_EQ(converter.controls, (std::map<int, std::u16string>{{1026, u"="}}));
  EXPECT_EQ(english.dialog(kDialogEntry)->caption, u"Enter byte(s)/character(s)");
}

TEST(ShippedResources, EveryModuleMatchesTheEnglishOne) {
  const StringModule& english = builtinModule();
  std::vector<std::filesystem::path> modules = shippedModules();
  bool hasGerman = false;
  for (const auto& path : modules) hasGerman |= path.filename() == "nibblet.exe.0407.mui";
  EXPECT_TRUE(hasGerman) << "looked in " << resourcesFolder();

  for (const auto& path : modules) {
    SCOPED_TRACE(path.filename().string());
    StringModule module;
    std::string error;
    ASSERT_TRUE(module.load(fromUtf8(path.string()), &error)) << error;
    ASSERT_TRUE(module.isComplete());

    for (const auto& [id, text] : english.texts()) {
      const std::u16string* translated = module.text(id);
      ASSERT_NE(translated, nullptr) << "missing text " << id;
      EXPECT_FALSE(translated->empty()) << "empty text " << id;
      EXPECT_EQ(conversions(*translated), conversions(text)) << "placeholders of text " << id;
    }
    EXPECT_EQ(module.textCount(), english.textCount()) << "texts the program never shows";
    EXPECT_EQ(module.text(kIdsAbout)->substr(0, 17), u"Nibblet %d.%d.%d\n");
    EXPECT_EQ(std::count(module.text(kIdsOpenModeChoices)->begin(),
                         module.text(kIdsOpenModeChoices)->end(), u'/'), 1);

    for (int menu : {kMenuMain, kMenuBrowser})
      EXPECT_EQ(shape(module.menu(menu)->items, false), shape(english.menu(menu)->items, false));
    const MenuResource& main = *module.menu(kMenuMain);
    EXPECT_EQ(findMenuItem(main, kMenuFile)->text, *module.text(kIdsFile));
    EXPECT_EQ(findMenuItem(main, kMenuTools)->text, *module.text(kIdsTools));

    for (int id : {kDialogEntry, kDialogConverter}) {
      const DialogResource& ours = *module.dialog(id);
      const DialogResource& theirs = *english.dialog(id);
      EXPECT_FALSE(ours.caption.empty());
      EXPECT_EQ(ours.labels.size(), theirs.labels.size());
      for (const auto& [control, text] : theirs.controls) EXPECT_TRUE(ours.controls.count(control));
      EXPECT_EQ(ours.controls.size(), theirs.controls.size());
    }
  }
}

}  // namespace
}  // namespace nibblet
