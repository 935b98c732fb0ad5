#include "core/view/entry_dialog_model.h"

#include <gtest/gtest.h>

#include "core/document/change_log.h"
#include "core/i18n/string_module.h"
#include "core/platform/code_page.h"
#include "core/platform/message_box.h"
#include "view_fixture.h"

namespace nibblet {
namespace {

class RefusingCodePage : public CodePage {
 public:
  bool toMultiByte(std::u16string_view, std::string&) const override { return false; }
  bool toWide(std::string_view, std::u16string&) const override { return false; }
};

// A 4000-byte file (byte i holds i mod 256), ten bytes per row, with a change log.
struct EntryFixture : test::ViewFixture {
  ChangeLog log;
  Texts texts;
  Utf8CodePage codePage;
  ScriptedMessageBox messages;

  EntryFixture() {
    open(4000, 360, 320);
    view.setFontSize(12);
    view.setChangeLog(&log);
  }
  // Taps byte `offset` (shown on screen) in the hex or the text column.
  void tapByte(std::uint32_t offset, bool inText = false) {
    view.gotoOffset(offset - offset % 10);
    int column = static_cast<int>(offset % 10);
    int x = inText ? 282 + 8 * column : 41 + 24 * column;
    ASSERT_EQ(view.tap(x, 0), TapResult::Byte);
    ASSERT_EQ(view.tapOffset(), offset);
  }
};

TEST(EntryDialogModel, StartsInHexWithTheByteOrInTextWithAnEmptyLine) {
  EntryFixture f;
  f.data[0x2A] = 0xAB;
  f.tapByte(0x2A);
  EntryDialogModel hex(f.view, f.texts, f.codePage, f.messages);
  EXPECT_EQ(hex.caption(), u"Enter byte(s)/character(s)");
  EXPECT_EQ(hex.entryMode(), EntryMode::Hex);
  EXPECT_EQ(hex.text(), u"AB");
  EXPECT_TRUE(hex.isChecked(kCmdEntryHex));
  EXPECT_FALSE(hex.isChecked(kCmdEntryText));
  EXPECT_TRUE(f.view.isEntryOpen());
  hex.command(kCmdCancel);
  EXPECT_FALSE(f.view.isEntryOpen());
  EXPECT_EQ(f.view.tapOffset(), kNoOffset);
  EXPECT_EQ(f.view.markerShown(), Marker::None);
  EXPECT_EQ(f.log.count(), 0u);

  f.tapByte(0x2A, true);
  EntryDialogModel text(f.view, f.texts, f.codePage, f.messages);
  EXPECT_EQ(text.entryMode(), EntryMode::Text);
  EXPECT_EQ(text.text(), u"");
  EXPECT_TRUE(text.isChecked(kCmdEntryText));
}

TEST(EntryDialogModel, ShowsTheEntryButtonsAndPasteOnlyWithAClipboard) {
  EntryFixture f;
  f.tapByte(5);
  {
    EntryDialogModel model(f.view, f.texts, f.codePage, f.messages);
    for (int shown : {kCmdEntryHex, kCmdEntryText, kCmdEntryUnicode, kCmdOk, kCmdCancel})
      EXPECT_TRUE(model.isShown(shown)) << shown;
    for (int hidden : {kCmdSearchAtFirst, kCmdBarCopy, kCmdBarPaste}) EXPECT_FALSE(model.isShown(hidden)) << hidden;
    EXPECT_FALSE(model.command(kCmdBarPaste));
    EXPECT_EQ(model.text(), u"05");
  }
  const std::uint8_t clip[] = {0x01, 0xFE};
  f.view.setClipboard(clip, 2);
  EntryDialogModel model(f.view, f.texts, f.codePage, f.messages);
  EXPECT_TRUE(model.isShown(kCmdBarPaste));
  model.command(kCmdEntryUnicode);
  EXPECT_FALSE(model.command(kCmdBarPaste));
  EXPECT_EQ(model.entryMode(), EntryMode::Hex);
  EXPECT_EQ(model.text(), u"01FE");
}

std::u16string repeat(std::u16string_view piece, int times) {
  std::u16string out;
  for (int i = 0; i < times; ++i) out += piece;
  return out;
}

TEST(EntryDialogModel, SwitchingToHexConvertsTheLineWithinItsBuffer) {
  struct Case {
    int from;
    std::u16string typed;
    std::u16string hex;
  } cases[] = {
      {kCmdEntryText, u"AB", u"4142"},
      {kCmdEntryUnicode, u"AB", u"41004200"},
      {kCmdEntryText, u"\u00e9", u"C3A9"},  // the code page's bytes
      // Only what fits the line's 514-character buffer: 256 bytes.
      {kCmdEntryText, std::u16string(300, u'A'), repeat(u"41", 256)},
      {kCmdEntryUnicode, std::u16string(200, u'A'), repeat(u"4100", 128)},
      {kCmdEntryText, u"", u""},
  };
  for (const Case& c : cases) {
    EntryFixture f;
    f.tapByte(0);
    EntryDialogModel model(f.view, f.texts, f.codePage, f.messages);
    model.command(c.from);
    EXPECT_EQ(model.text(), u"");  // switching to a text kind empties the line
    model.setText(c.typed);
    model.command(kCmdEntryHex);
    EXPECT_EQ(model.entryMode(), EntryMode::Hex);
    EXPECT_EQ(model.text(), c.hex);
    EXPECT_LE(model.text().size(), 512u);
  }
  EntryFixture f;
  f.tapByte(0);
  EntryDialogModel model(f.view, f.texts, f.codePage, f.messages);
  model.setText(u"12 34");
  model.command(kCmdEntryHex);  // already Hex: unchanged
  EXPECT_EQ(model.text(), u"12 34");
}

TEST(EntryDialogModel, OkWritesFromTheTappedByteAndLogsEveryByteFirst) {
  struct Case {
    int mode;
    std::u16string text;
    std::uint32_t at;
    std::vector<std::uint8_t> written;
  } cases[] = {
      {kCmdEntryHex, u"41 42 43", 3997, {0x41, 0x42, 0x43}},
      {kCmdEntryHex, u"41 42 43 44", 3997, {0x41, 0x42, 0x43}},  // the fourth byte is dropped
      {kCmdEntryHex, u"ABC", 100, {0xAB}},
      {kCmdEntryHex, u"4", 100, {}},  // no whole pair: nothing written, the dialog ends
      {kCmdEntryUnicode, u"A", 3998, {0x41, 0x00}},
      {kCmdEntryUnicode, u"A", 3999, {0x41}},
      {kCmdEntryText, u"Hi", 0, {0x48, 0x69}},
      {kCmdEntryHex, u"07", 7, {0x07}},  // the same value is still logged
  };
  for (const Case& c : cases) {
    EntryFixture f;
    f.tapByte(c.at);
    EntryDialogModel model(f.view, f.texts, f.codePage, f.messages);
    model.command(c.mode);
    model.setText(c.text);
    std::vector<std::uint8_t> before(f.data.begin() + c.at, f.data.begin() + c.at + c.written.size());
    EXPECT_TRUE(model.command(kCmdOk));
    EXPECT_EQ(model.bytesWritten(), c.written.size());
    ASSERT_EQ(f.log.count(), c.written.size());
    for (std::size_t i = 0; i < c.written.size(); ++i) {
      EXPECT_EQ(f.data[c.at + i], c.written[i]);
      EXPECT_EQ(f.log.entry(i).offset, c.at + i);
      EXPECT_EQ(f.log.entry(i).oldValue, before[i]);
      EXPECT_EQ(f.log.entry(i).newValue, c.written[i]);
    }
    EXPECT_FALSE(f.view.isEntryOpen());
    EXPECT_EQ(f.view.tapOffset(), kNoOffset);
    EXPECT_TRUE(f.messages.shown().empty());
  }
}

TEST(EntryDialogModel, OkKeepsTheDialogOpenOnAnEmptyLineAndWritesNothingUnconvertible) {
  EntryFixture f;
  f.tapByte(10);
  {
    EntryDialogModel model(f.view, f.texts, f.codePage, f.messages);
    model.setText(u"");
    EXPECT_FALSE(model.command(kCmdOk));
    EXPECT_TRUE(f.view.isEntryOpen());
    EXPECT_FALSE(model.command(kCmdSearchAtFirst));
    EXPECT_FALSE(model.command(kCmdBarCopy));
    model.command(kCmdCancel);
  }
  RefusingCodePage refusing;
  f.tapByte(10);
  EntryDialogModel model(f.view, f.texts, refusing, f.messages);
  model.command(kCmdEntryText);
  model.setText(u"x");
  model.command(kCmdEntryHex);  // cannot convert: the line and the mode stay
  EXPECT_EQ(model.entryMode(), EntryMode::Text);
  EXPECT_EQ(model.text(), u"x");
  EXPECT_TRUE(model.command(kCmdOk));
  EXPECT_EQ(f.data[10], 10);
  EXPECT_EQ(f.log.count(), 0u);
}

TEST(EntryDialogModel, TheRowsTextShowsTheWrittenBytes) {
  EntryFixture f;
  f.tapByte(0);
  EntryDialogModel model(f.view, f.texts, f.codePage, f.messages);
  model.setText(u"4142");
  model.command(kCmdOk);
  EXPECT_EQ(f.view.rowsText().substr(0, 11), u"000: 41 42 ");
}

}  // namespace
}  // namespace nibblet
