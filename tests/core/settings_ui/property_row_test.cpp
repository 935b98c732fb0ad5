#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "core/i18n/string_module.h"
#include "core/settings_ui/property_sheet_model.h"

namespace nibblet {
namespace {

RowSpec plan(std::uint32_t kind, void* bound, std::int32_t maxChars, std::u16string label = u"Row") {
  RowSpec s;
  s.rowKind = kind;
  s.bound = bound;
  s.maxChars = maxChars;
  s.label = std::move(label);
  return s;
}

TEST(PropertyRow, ChoiceOutsideTheListShowsChoiceZeroAndIsWrittenBackWhenLeft) {
  Texts texts;
  std::int32_t yesNo = 5;
  std::uint8_t byteYesNo = 200;
  std::int32_t negative = -1;
  std::int32_t untouched = 7;
  PropertySheetModel sheet(texts);
  sheet.addPage(u"Page", [&](PropertySheetModel& s) {
    s.addRow(plan(kRowIntYesNo, &yesNo, 4));
    s.addRow(plan(kRowByteNoYes, &byteYesNo, 1));
    s.addRow(plan(kRowIntChoice, &negative, 4)).choices = {u"a", u"b"};
    s.addRow(plan(kRowIntYesNo, &untouched, 4));
  });
  ASSERT_TRUE(sheet.selectPage(0));
  EXPECT_EQ(sheet.row(0)->valueText, u"No");
  EXPECT_EQ(sheet.row(0)->choices, (std::vector<std::u16string>{u"No", u"Yes"}));
  EXPECT_EQ(sheet.row(1)->valueText, u"No");
  // Showing a row changes nothing; the variable is written once the row was active.
  EXPECT_EQ(yesNo, 5);
  sheet.activateRow(0);
  EXPECT_EQ(yesNo, 5);
  sheet.activateRow(1);
  EXPECT_EQ(yesNo, 0);
  sheet.activateRow(2);
  EXPECT_EQ(byteYesNo, 0);
  EXPECT_EQ(sheet.row(2)->valueText, u"a");
  sheet.activateRow(-1);
  EXPECT_EQ(negative, 0);
  EXPECT_EQ(sheet.activeIndex(), -1);
  EXPECT_EQ(untouched, 7);  // never active
}

TEST(PropertyRow, EveryKeystrokeReachesTheBoundBufferCutToItsCapacity) {
  Texts texts;
  std::array<char16_t, 6> buffer{u'o', u'l', u'd', 0, u'X', u'X'};
  PropertySheetModel sheet(texts);
  sheet.addPage(u"Page", [&](PropertySheetModel& s) { s.addRow(plan(kRowText, buffer.data(), 6)); });
  sheet.selectPage(0);
  EXPECT_EQ(sheet.row(0)->valueText, u"old");
  sheet.activateRow(0);
  std::u16string typed;
  for (char16_t c : std::u16string(u"abcdefgh")) {
    typed += c;
    ASSERT_TRUE(sheet.editText(typed));
    std::u16string stored(buffer.data());
    EXPECT_EQ(stored, typed.substr(0, 5));
    // The row shows what the buffer holds.
    EXPECT_EQ(sheet.row(0)->valueText, stored);
  }
  EXPECT_EQ(buffer[5], 0);
  sheet.editText(u"");
  EXPECT_EQ(buffer[0], 0);
}

TEST(PropertyRow, ATextNotTerminatedInItsBufferIsReadOnlyToTheBufferEnd) {
  std::array<char16_t, 4> buffer{u'a', u'b', u'c', u'd'};
  auto row = makeRow(plan(kRowText, buffer.data(), 4), u"No", u"Yes");
  EXPECT_EQ(row->valueText, u"abcd");
  commitRow(*row);
  EXPECT_EQ(std::u16string(buffer.data()), u"abc");
}

TEST(PropertyRow, NumberAndByteKinds) {
  std::int32_t number = 42;
  std::int8_t signedByte = -3;
  std::uint8_t choice = 1;
  auto n = makeRow(plan(kRowNumber, &number, 4), u"No", u"Yes");
  EXPECT_EQ(n->valueText, u"42");
  takeText(*n, u"123abc");
  EXPECT_EQ(number, 123);
  EXPECT_EQ(n->valueText, u"123abc");
  takeText(*n, u"xyz");
  EXPECT_EQ(number, 0);
  takeText(*n, u"99999999999999");
  EXPECT_EQ(number, 2147483647);

  auto b = makeRow(plan(kRowSignedByte, &signedByte, 1), u"No", u"Yes");
  EXPECT_EQ(b->valueText, u"-3");
  takeText(*b, u"300");  // 300 & 0xFF = 44
  EXPECT_EQ(signedByte, 44);
  takeText(*b, u"200");
  EXPECT_EQ(signedByte, -56);

  RowSpec c = plan(kRowByteChoice, &choice, 1);
  c.choices = splitChoices(u"zero/one/two");
  auto row = makeRow(c, u"No", u"Yes");
  EXPECT_EQ(row->valueText, u"one");
  takeChoice(*row, 2);
  EXPECT_EQ(choice, 2);
  takeChoice(*row, 3);  // no such item
  EXPECT_EQ(choice, 2);
  // A choice row without choices shows nothing.
  auto empty = makeRow(plan(kRowIntChoice, &number, 4), u"No", u"Yes");
  EXPECT_EQ(empty->valueText, u"");
}

TEST(PropertyRow, TextChoiceRowStartsWithItsText) {
  std::array<char16_t, 8> buffer{u'c', u'u', u'r', 0};
  RowSpec s = plan(kRowTextChoice, buffer.data(), 8);
  s.choices = splitChoices(u"alpha/longer text");
  auto row = makeRow(s, u"No", u"Yes");
  EXPECT_EQ(row->choices, (std::vector<std::u16string>{u"cur", u"alpha", u"longer text"}));
  EXPECT_EQ(row->valueText, u"cur");
  takeChoice(*row, 2);
  EXPECT_EQ(std::u16string(buffer.data()), u"longer ");
}

TEST(PropertyRow, TimeAndDateRows) {
  std::int32_t hours = 7, minutes = 5;
  RowSpec t = plan(kRowTime, &hours, 4);
  t.boundMinutes = &minutes;
  auto time = makeRow(t, u"No", u"Yes");
  EXPECT_EQ(time->valueText, u"07:05");
  takeDateTime(*time, CalendarTime{2020, 1, 1, 23, 59, 0});
  EXPECT_EQ(hours, 23);
  EXPECT_EQ(minutes, 59);

  FileTime stamp = 0;
  ASSERT_TRUE(fileTimeOf(CalendarTime{2024, 2, 29, 13, 45, 10}, stamp));
  auto date = makeRow(plan(kRowDateTime, &stamp, 8), u"No", u"Yes");
  EXPECT_EQ(date->valueText, u"2024/02/29 13:45");
  takeDateTime(*date, CalendarTime{1601, 1, 1, 0, 0, 0});
  EXPECT_EQ(stamp, 0u);
  takeDateTime(*date, CalendarTime{2023, 2, 29, 0, 0, 0});  // no such day: the time stays
  EXPECT_EQ(stamp, 0u);
  EXPECT_EQ(calendarOf(116444736000000000ull), (CalendarTime{1970, 1, 1, 0, 0, 0}));
  auto unbound = makeRow(plan(kRowDateTime, nullptr, 8), u"No", u"Yes");
  EXPECT_EQ(unbound->valueText, u"0000/00/00 00:00");
}

TEST(PropertyRow, RowsWriteOnlyTheirOwnVariableAndCaptionsOrRowsWithoutOneNothing) {
  struct Case {
    std::uint32_t kind;
    std::int32_t size;      // maxChars as the row is planned
    std::size_t written;    // bytes of the variable a commit may write
  } cases[] = {{kRowCaption, 4, 0}, {kRowIntYesNo, 4, 4}, {kRowByteNoYes, 1, 1}, {kRowNumber, 4, 4},
               {kRowText, 4, 8}, {99u, 4, 4}};
  for (const Case& c : cases) {
    std::array<std::uint8_t, 32> guard;
    guard.fill(0xA5);
    auto row = makeRow(plan(c.kind, guard.data(), c.size), u"No", u"Yes");
    takeText(*row, u"1234567");
    takeChoice(*row, 1);
    commitRow(*row);
    for (std::size_t i = c.written; i < guard.size(); ++i) ASSERT_EQ(guard[i], 0xA5) << c.kind << " " << i;
    if (c.written > 0) EXPECT_NE(std::count(guard.begin(), guard.end(), 0xA5), 32) << c.kind;

    // Without a variable, nothing is read or written (a null variable would crash here).
    auto bare = makeRow(plan(c.kind, nullptr, c.size), u"No", u"Yes");
    takeText(*bare, u"1");
    takeChoice(*bare, 1);
    commitRow(*bare);
    refreshRow(*bare);
    EXPECT_EQ(bare->bound, nullptr);
  }
}

TEST(PropertySheet, PagesRowsAndThePaneText) {
  Texts texts;
  std::int32_t mode = 1;
  int builds = 0;
  PropertySheetModel sheet(texts);
  sheet.setDefaultHint(u"Tap");
  sheet.addPage(u"One", [&](PropertySheetModel& s) {
    ++builds;
    RowSpec r = plan(kRowIntYesNo, &mode, 4, u"Mode");
    r.hint = u"Careful";
    s.addRow(r);
    s.addRow(plan(kRowCaption, nullptr, 0, u"Caption"));
    EXPECT_FALSE(s.addRow(std::unique_ptr<PropertyRow>()));
  });
  sheet.addPage(u"Two", {});
  EXPECT_FALSE(sheet.selectPage(2));
  EXPECT_FALSE(sheet.selectPage(-1));
  EXPECT_EQ(sheet.currentPage(), -1);
  ASSERT_TRUE(sheet.selectPage(0));
  EXPECT_EQ(sheet.rowCount(), 2);
  EXPECT_EQ(sheet.row(1)->index, 1);
  EXPECT_EQ(sheet.row(1)->owner, &sheet);
  EXPECT_EQ(sheet.row(2), nullptr);
  EXPECT_EQ(sheet.paneText(), u"Tap");
  sheet.activateRow(0);
  EXPECT_EQ(sheet.paneText(), u"Careful");
  EXPECT_TRUE(sheet.paneTextBelowEditor());
  sheet.activateRow(1);
  EXPECT_EQ(sheet.paneText(), u"Tap");
  EXPECT_FALSE(sheet.pressButton());

  // A page switch commits the active row, leaves none active and rebuilds from the variables.
  mode = 0;
  ASSERT_TRUE(sheet.selectPage(0));
  EXPECT_EQ(builds, 2);
  EXPECT_EQ(sheet.activeIndex(), -1);
  EXPECT_EQ(sheet.row(0)->valueText, u"No");
  EXPECT_FALSE(sheet.editText(u"x"));
  ASSERT_TRUE(sheet.selectPage(1));
  EXPECT_EQ(sheet.rowCount(), 0);
}

TEST(PropertySheet, ShorteningKeepsShortTextsAndMakesLongOnesFit) {
  // One character is 6 pixels wide; the row has room for 40 pixels.
  auto fits = [](std::u16string_view text) { return text.size() * 6 <= 40; };
  EXPECT_EQ(shortenToFit(u"Abcdef", [](std::u16string_view) { return false; }), u"Abcdef");
  std::u16string longLabel = u"Search result marker color";
  std::u16string shown = shortenToFit(longLabel, fits);
  EXPECT_TRUE(fits(shown));
  EXPECT_EQ(shown.substr(shown.size() - 3), u"...");
  EXPECT_EQ(shown.substr(0, shown.size() - 3), longLabel.substr(0, shown.size() - 3));
  // Never below 6 characters, even when nothing fits.
  std::u16string tight = shortenToFit(longLabel, [](std::u16string_view) { return false; });
  EXPECT_LT(tight.size(), 7u);
  EXPECT_EQ(shortenToFit(u"fits", fits), u"fits");
}

TEST(PropertySheet, LayoutInLogicalPixels) {
  SheetLayout l = layoutSheet(240, 300, 96, 96, false);
  EXPECT_EQ(l.pane, (SheetRect{1, 1, 239, 56}));
  EXPECT_EQ(l.editor, (SheetRect{1, 1, 232, 23}));
  EXPECT_EQ(l.button, SheetRect{});
  EXPECT_EQ(l.list, (SheetRect{1, 57, 239, 278}));
  EXPECT_EQ(l.tabs, (SheetRect{0, 278, 240, 300}));
  EXPECT_EQ(l.dropDownHeight, 110);
  SheetLayout b = layoutSheet(480, 600, 192, 192, true);
  EXPECT_EQ(b.editor.right, 476 - 12 - 64);
  EXPECT_EQ(b.button, (SheetRect{476 - 12 - 52, 2, 476 - 12, 46}));
  EXPECT_EQ(b.pane.bottom, 112);
  // A sheet with no room keeps every rectangle non-negative.
  SheetLayout tiny = layoutSheet(0, 0, 96, 96, true);
  for (SheetRect r : {tiny.pane, tiny.editor, tiny.button, tiny.hint, tiny.list, tiny.tabs}) {
    EXPECT_GE(r.width(), 0);
    EXPECT_GE(r.height(), 0);
  }
  EXPECT_EQ(rowHeight(15, 96), 34);
}

}  // namespace
}  // namespace nibblet
