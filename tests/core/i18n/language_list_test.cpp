#include "core/i18n/language_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "core/platform/unicode.h"
#include "support/temp_dir.h"

namespace nibblet {
namespace {

class FakeLanguageNames : public LanguageNames {
 public:
  bool name(std::uint16_t id, std::u16string& out) const override {
    static const std::map<std::uint16_t, std::u16string> known = {
        {0x0407, u"Deutsch (Deutschland)"}, {0x040C, u"fran\u00e7ais (France)"},
        {0x0409, u"English (United States)"}, {0x0419, std::u16string(400, u'r')}};
    auto it = known.find(id);
    if (it == known.end()) return false;
    out = it->second;
    return true;
  }
};

// A module that carries every menu and dialog the program takes from a module, plus `strings`.
std::string moduleText(const std::string& strings) {
  return "[strings]\n" + strings +
         "\n[menu 101]\npopup 40001 \"F\"\nend\n[menu 158]\npopup \"A\"\nend\n"
         "[dialog 930]\n[dialog 109]\n";
}

using NameIds = std::multimap<std::u16string, std::uint16_t>;

NameIds namesToIds(const LanguageList& list) {
  NameIds out;
  for (std::size_t i = 1; i < list.size(); ++i) out.emplace(list.names[i], list.ids[i]);
  return out;
}

TEST(LanguageList, ListsModuleFilesButNotFoldersOrOtherNames) {
  test::TempDir dir;
  test::writeFile(dir.file("nibblet.exe.0407.mui"), moduleText(""));
  test::writeFile(dir.file("nibblet.exe.040c.mui"), moduleText(""));
  std::filesystem::create_directory(dir.file("nibblet.exe.0409.mui"));
  for (const char* other : {"nibblet.exe.0410.txt", "nibblet.0410.mui", "other.exe.0410.mui",
                            "nibblet.exe.0410.mui.bak", "nibblet.exe.mui"})
    test::writeFile(dir.file(other), std::string());

  FakeLanguageNames names;
  LanguageList list = buildLanguageList(fromUtf8(dir.path()), names);
  ASSERT_EQ(list.size(), 3u);
  ASSERT_EQ(list.paths.size(), 3u);
  ASSERT_EQ(list.ids.size(), 3u);
  EXPECT_EQ(list.names[0], u"Default");
  EXPECT_EQ(list.paths[0], u"");
  EXPECT_EQ(list.ids[0], 0);
  EXPECT_EQ(namesToIds(list), (NameIds{
                                  {u"Deutsch (Deutschland)", 0x0407},
                                  {u"fran\u00e7ais (France)", 0x040C}}));
  for (std::size_t i = 1; i < list.size(); ++i) {
    std::string expected = list.ids[i] == 0x0407 ? "nibblet.exe.0407.mui" : "nibblet.exe.040c.mui";
    EXPECT_EQ(list.paths[i], dir.u16(expected));
  }

  // A folder that cannot be listed offers the program's own resources only.
  LanguageList none = buildLanguageList(dir.u16("missing"), names);
  EXPECT_EQ(none.size(), 1u);
}

TEST(LanguageList, ReadsTheIdAsHexadecimalCutTo16Bits) {
  test::TempDir dir;
  for (const char* file : {"NIBBLET.EXE.0419.MUI", "nibblet.exe.1ABCD.mui", "nibblet.exe.7.mui",
                           "nibblet.exe.zz.mui", "nibblet.exe..mui", "nibblet.exe.fffffffffff.mui"})
    test::writeFile(dir.file(file), std::string());
  // A folder whose name holds the markers does not disturb the names inside it.
  std::string odd = dir.file("x.mui.exe.y");
  std::filesystem::create_directory(odd);
  test::writeFile(odd + "/nibblet.exe.0407.mui", std::string());

  FakeLanguageNames names;
  LanguageList list = buildLanguageList(fromUtf8(dir.path()), names);
  EXPECT_EQ(namesToIds(list), (NameIds{
                                  {std::u16string(259, u'r'), 0x0419},
                                  {u"abcd", 0xABCD},
                                  {u"7", 0x7},
                                  {u"0", 0},
                                  {u"0", 0},
                                  {u"ffff", 0xFFFF}}));
  LanguageList inOdd = buildLanguageList(fromUtf8(odd), names);
  ASSERT_EQ(inOdd.size(), 2u);
  EXPECT_EQ(inOdd.ids[1], 0x0407);
}

TEST(LanguageList, SelectsOnlyListedEntriesWithALoadableModule) {
  test::TempDir dir;
  std::u16string folder = fromUtf8(dir.path());
  test::writeFile(dir.file("nibblet.exe.0407.mui"), moduleText("40003 = \"Datei\""));
  test::writeFile(dir.file("nibblet.exe.040c.mui"), moduleText("40003 = \"Fichier"));  // damaged
  // Only the four-digit spelling is ever loaded.
  test::writeFile(dir.file("nibblet.exe.419.mui"), moduleText("40003 = \"short name\""));
  // A module of id 0 must not be reachable through entry 0.
  test::writeFile(dir.file("nibblet.exe.0000.mui"), moduleText("40003 = \"zero\""));
  // Strings alone, without the menus and dialogs, would leave the program without menus.
  test::writeFile(dir.file("nibblet.exe.0410.mui"), std::string("[strings]\n40003 = \"File\"\n"));

  FakeLanguageNames names;
  LanguageList list = buildLanguageList(folder, names);
  ASSERT_EQ(list.size(), 6u);
  auto indexOf = [&](std::uint16_t id) {
    for (std::size_t i = 1; i < list.size(); ++i)
      if (list.ids[i] == id) return static_cast<int>(i);
    return -1;
  };

  std::unique_ptr<StringModule> german = selectLanguage(list, indexOf(0x0407));
  ASSERT_NE(german, nullptr);
  EXPECT_EQ(*german->text(40003), u"Datei");
  EXPECT_EQ(selectLanguage(list, indexOf(0x040C)), nullptr);
  EXPECT_EQ(selectLanguage(list, indexOf(0x0419)), nullptr);
  EXPECT_EQ(selectLanguage(list, indexOf(0x0410)), nullptr);
  for (int index : {0, -1, static_cast<int>(list.size()), static_cast<int>(list.size()) + 1,
                    INT32_MIN, INT32_MAX})
    EXPECT_EQ(selectLanguage(list, index), nullptr) << index;

  // Once the four-digit file exists, the entry listed as 419 loads it.
  test::writeFile(dir.file("nibblet.exe.0419.mui"), moduleText("40003 = \"Fajl\""));
  std::unique_ptr<StringModule> russian = selectLanguage(list, indexOf(0x0419));
  ASSERT_NE(russian, nullptr);
  EXPECT_EQ(*russian->text(40003), u"Fajl");

  // The module removed after the list was built: the program's own resources stay.
  std::filesystem::remove(dir.file("nibblet.exe.0407.mui"));
  EXPECT_EQ(selectLanguage(list, indexOf(0x0407)), nullptr);
}

TEST(LanguageList, LoadsAModuleNamedInAnyCaseFromTheFolderItWasListedIn) {
  test::TempDir beside;
  test::TempDir installed;
  test::writeFile(beside.file("NIBBLET.EXE.0407.MUI"), moduleText("40003 = \"Datei\""));
  test::writeFile(installed.file("nibblet.exe.0407.mui"), moduleText("40003 = \"other\""));
  test::writeFile(installed.file("Nibblet.Exe.040C.Mui"), moduleText("40003 = \"Fichier\""));

  FakeLanguageNames names;
  LanguageList list =
      buildLanguageList(std::vector<std::u16string>{fromUtf8(beside.path()), fromUtf8(installed.path()),
                                                    beside.u16("missing")},
                        names);
  // The module beside the program hides the installed one of the same name.
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list.paths[1], beside.u16("NIBBLET.EXE.0407.MUI"));
  EXPECT_EQ(list.paths[2], installed.u16("Nibblet.Exe.040C.Mui"));

  std::unique_ptr<StringModule> german = selectLanguage(list, 1);
  ASSERT_NE(german, nullptr);
  EXPECT_EQ(*german->text(40003), u"Datei");
  std::unique_ptr<StringModule> french = selectLanguage(list, 2);
  ASSERT_NE(french, nullptr);
  EXPECT_EQ(*french->text(40003), u"Fichier");

  // With both spellings present, the exact one is loaded.
  test::writeFile(beside.file("nibblet.exe.0407.mui"), moduleText("40003 = \"exact\""));
  german = selectLanguage(list, 1);
  ASSERT_NE(german, nullptr);
  EXPECT_EQ(*german->text(40003), u"exact");
}

TEST(LanguageList, NamedAgainInTheLanguageShown) {
  LanguageList list;
  list.names = {u"Default", u"German (Germany)", u"abcd"};
  list.paths = {u"", u"/m/nibblet.exe.0407.mui", u"/m/nibblet.exe.abcd.mui"};
  list.ids = {0, 0x0407, 0xabcd};
  nameLanguages(list, FakeLanguageNames(), u"Standard");
  EXPECT_EQ(list.names, (std::vector<std::u16string>{u"Standard", u"Deutsch (Deutschland)", u"abcd"}));
  nameLanguages(list, FakeLanguageNames(), u"");
  EXPECT_EQ(list.names[0], u"Default");
}

}  // namespace
}  // namespace nibblet
