#include <gtest/gtest.h>

#include "core/i18n/string_module.h"
#include "core/settings/settings.h"
#include "core/settings_ui/settings_rows.h"

namespace nibblet {
namespace {

struct SettingsPageFixture : ::testing::Test {
  Texts texts;
  Settings settings = Settings::defaults(u"/home/u/.cache/nibblet");
  std::vector<std::u16string> languages{u"Default", u"German (Germany)"};
  SettingsDialogs dialogs;
  PropertySheetModel sheet{texts};

  void SetUp() override {
    sheet.addPage(u"Settings", [this](PropertySheetModel& s) {
      buildSettingsRows(s, settings, languages, texts, dialogs);
    });
    ASSERT_TRUE(sheet.selectPage(0));
  }
};

TEST_F(SettingsPageFixture, TwelveRowsInOrderBoundToTheRecord) {
  std::vector<std::u16string> labels;
  for (int i = 0; i < sheet.rowCount(); ++i) labels.push_back(sheet.row(i)->label);
  EXPECT_EQ(labels, (std::vector<std::u16string>{
                        u"Language", u"Open mode", u"Work path", u"Backup path", u"Changes mark color",
                        u"Edit start marker color", u"Search result marker color", u"Selected color",
                        u"Differences mark color", u"Use Cleartype", u"Use bold font", u"Show toolbar"}));
  EXPECT_EQ(sheet.row(0)->choices, languages);
  EXPECT_EQ(sheet.row(1)->choices, (std::vector<std::u16string>{u"On the spot", u"Temporary copy"}));
  EXPECT_EQ(sheet.row(1)->hint, u"\"on the spot\" - all changes will be writed immediatelly!");
  EXPECT_EQ(sheet.row(3)->hint, u"If field empty Nibblet  will not make backup copy");
  EXPECT_EQ(sheet.row(2)->hint, u"Work path");
  EXPECT_EQ(sheet.row(2)->valueText, u"/home/u/.cache/nibblet");
  EXPECT_EQ(sheet.row(4)->valueText, u"250,152,5");
  EXPECT_EQ(sheet.row(9)->valueText, u"Yes");
  EXPECT_EQ(sheet.row(10)->valueText, u"No");
  for (int i : {2, 3}) EXPECT_TRUE(sheet.row(i)->isFolderRow && sheet.row(i)->hasButton());
  for (int i = 4; i <= 8; ++i) EXPECT_TRUE(sheet.row(i)->isColourRow && sheet.row(i)->hasButton());
  for (int i : {0, 1, 9, 10, 11}) EXPECT_FALSE(sheet.row(i)->hasButton());

  sheet.activateRow(11);
  sheet.editChoice(0);
  EXPECT_EQ(settings.showToolbar, 0);
  sheet.activateRow(0);
  sheet.editChoice(1);
  EXPECT_EQ(settings.languageIndex, 1);
  sheet.activateRow(3);
  sheet.editText(u"");
  EXPECT_EQ(textOf(settings.backupPath), u"");
  sheet.activateRow(8);
  sheet.editText(std::u16string(60, u'9'));
  EXPECT_EQ(textOf(settings.diffColor), std::u16string(49, u'9'));
}

TEST_F(SettingsPageFixture, DamagedIndexesShowTheFirstChoice) {
  settings.languageIndex = 1000;
  settings.openMode = -4;
  settings.showToolbar = 9;
  sheet.selectPage(0);
  EXPECT_EQ(sheet.row(0)->valueText, u"Default");
  EXPECT_EQ(sheet.row(1)->valueText, u"On the spot");
  EXPECT_EQ(sheet.row(11)->valueText, u"No");
}

TEST_F(SettingsPageFixture, FolderButtonKeepsTheRowForCancelAndRoot) {
  std::u16string answer;
  bool confirm = false;
  dialogs.chooseFolder = [&](std::u16string& folder) {
    if (confirm) folder = answer;
    return confirm;
  };
  sheet.activateRow(2);
  EXPECT_FALSE(sheet.pressButton());
  confirm = true;
  answer = u"";  // the root
  EXPECT_FALSE(sheet.pressButton());
  EXPECT_EQ(textOf(settings.workPath), u"/home/u/.cache/nibblet");
  answer = u"/media/card/work";
  EXPECT_TRUE(sheet.pressButton());
  EXPECT_EQ(textOf(settings.workPath), u"/media/card/work");
  EXPECT_EQ(sheet.row(2)->valueText, u"/media/card/work");
  answer = u"/" + std::u16string(400, u'x');
  EXPECT_TRUE(sheet.pressButton());
  EXPECT_EQ(textOf(settings.workPath).size(), 259u);
  EXPECT_EQ(sheet.row(2)->valueText.size(), 259u);
}

TEST_F(SettingsPageFixture, ColourButtonStoresOnlyAConfirmedColour) {
  std::u16string seen;
  std::u16string seenTitle;
  bool confirm = false;
  dialogs.pickColour = [&](std::u16string& colour, const std::u16string& title) {
    seen = colour;
    seenTitle = title;
    if (confirm) colour = u"1,2,3";
    return confirm;
  };
  sheet.activateRow(5);  // Edit start marker color
  EXPECT_FALSE(sheet.pressButton());
  EXPECT_EQ(seen, u"0,255,0");
  EXPECT_EQ(seenTitle, u"Edit start marker color");
  EXPECT_EQ(textOf(settings.editStartColor), u"0,255,0");
  confirm = true;
  sheet.pressButton();
  EXPECT_EQ(textOf(settings.editStartColor), u"1,2,3");
  EXPECT_EQ(sheet.row(5)->valueText, u"1,2,3");
}

}  // namespace
}  // namespace nibblet
