#include "core/view/byte_menu_model.h"

#include <gtest/gtest.h>

#include "core/diff/diff_set.h"
#include "core/document/change_log.h"
#include "core/i18n/string_module.h"
#include "core/platform/message_box.h"
#include "view_fixture.h"

namespace nibblet {
namespace {

// 4000 bytes (byte i holds i mod 256), ten per row, with a change log and a diff set.
struct MenuFixture : test::ViewFixture {
  ChangeLog log;
  DiffSet diffs;
  Texts texts;
  ScriptedMessageBox messages;

  MenuFixture() {
    open(4000, 360, 320);
    view.setChangeLog(&log);
    view.setDiffSet(&diffs);
  }
  // Taps `offset` and runs menu item `id` on it.
  bool run(std::uint32_t offset, int id) {
    EXPECT_TRUE(tapByte(offset)) << offset;
    ByteMenuModel menu(view, texts, messages);
    return menu.command(id);
  }
  std::vector<std::uint8_t> clipboard() const {
    return {view.clipboard(), view.clipboard() + view.clipboardCount()};
  }
};

std::vector<int> ids(const std::vector<ByteMenuItem>& items) {
  std::vector<int> out;
  for (const ByteMenuItem& item : items) out.push_back(item.id);
  return out;
}

TEST(ByteMenuModel, ItemsTheirTextsAndWhichAreGreyedOrPresent) {
  MenuFixture f;
  ASSERT_TRUE(f.tapByte(0x2A));
  {
    auto items = ByteMenuModel(f.view, f.texts, f.messages).items();
    EXPECT_EQ(ids(items), (std::vector<int>{1, 2, -1, 3, 8, -1, 100}));
    EXPECT_EQ(items[0].text, u"Copy");
    EXPECT_EQ(items[1].text, u"Paste");
    EXPECT_FALSE(items[1].enabled);  // an empty clipboard
    EXPECT_EQ(items[3].text, u"Undo");
    EXPECT_FALSE(items[3].enabled);  // nothing to undo
    EXPECT_EQ(items[4].text, u"Start selection");
    EXPECT_EQ(items[6].text, u"02A: 2A");
    EXPECT_FALSE(items[6].enabled);
  }
  f.log.append(3, 0, 0);
  f.view.setSelection(0x20, kNoOffset);
  f.diffs.append({0x29, 0x29, 0x11});
  f.diffs.append({0x2A, 0x2A, 0x7F});
  std::uint8_t clip = 0xC3;
  f.view.setClipboard(&clip, 1);
  auto items = ByteMenuModel(f.view, f.texts, f.messages).items();
  EXPECT_EQ(ids(items), (std::vector<int>{1, 2, -1, 3, 8, 9, -1, 100, 5}));
  EXPECT_EQ(items[1].text, u"Paste (C3)");
  EXPECT_TRUE(items[1].enabled);
  EXPECT_TRUE(items[3].enabled);
  EXPECT_EQ(items[4].text, u"End selection");
  EXPECT_EQ(items[5].text, u"Clear selection");
  EXPECT_EQ(items[8].text, u"Diff: 7F");

  // The second file's byte goes into the clipboard.
  EXPECT_FALSE(f.run(0x2A, kByteMenuDiffValue));
  EXPECT_EQ(f.clipboard(), std::vector<std::uint8_t>{0x7F});
  // No diff item on a byte that is not a difference.
  ASSERT_TRUE(f.tapByte(0x2B));
  EXPECT_EQ(ids(ByteMenuModel(f.view, f.texts, f.messages).items()).back(), kByteMenuByteInfo);
}

TEST(ByteMenuModel, PasteLabelForEachClipboardSize) {
  Texts texts;
  const std::uint8_t c[] = {0x0A, 0xB1, 0x02, 0xFF, 0x10};
  EXPECT_EQ(ByteMenuModel::pasteLabel(texts, c, 0), u"Paste");
  EXPECT_EQ(ByteMenuModel::pasteLabel(texts, c, 1), u"Paste (0A)");
  EXPECT_EQ(ByteMenuModel::pasteLabel(texts, c, 2), u"Paste (0A B1)");
  EXPECT_EQ(ByteMenuModel::pasteLabel(texts, c, 3), u"Paste 3 B");
  EXPECT_EQ(ByteMenuModel::pasteLabel(texts, c, 4), u"Paste (0A B1 02 FF)");
  EXPECT_EQ(ByteMenuModel::pasteLabel(texts, c, 5), u"Paste 5 B");
  EXPECT_EQ(ByteMenuModel::pasteLabel(texts, c, 256), u"Paste 256 B");
}

TEST(ByteMenuModel, ByteInformationUsesTheOffsetDigits) {
  test::ViewFixture f;
  f.open(4096);  // 4096 + 16 needs four digits
  f.data[0x1A] = 0x3F;
  ASSERT_TRUE(f.tapByte(0x1A));
  Texts texts;
  ScriptedMessageBox messages;
  EXPECT_EQ(ByteMenuModel(f.view, texts, messages).byteInformation(), u"001A: 3F");
}

TEST(ByteMenuModel, CopyTakesTheTappedByteTheStartByteOrTheRange) {
  MenuFixture f;
  f.run(0x30, kByteMenuCopy);
  EXPECT_EQ(f.clipboard(), std::vector<std::uint8_t>{0x30});

  f.view.setSelection(0x40, kNoOffset);  // a start only: that byte, not the tapped one
  f.run(0x30, kByteMenuCopy);
  EXPECT_EQ(f.clipboard(), std::vector<std::uint8_t>{0x40});

  f.view.setSelection(0x40, 0x43);
  f.run(0x30, kByteMenuCopy);
  EXPECT_EQ(f.clipboard(), (std::vector<std::uint8_t>{0x40, 0x41, 0x42, 0x43}));

  f.view.setSelection(0x43, 0x40);  // an end before the start copies nothing
  f.run(0x30, kByteMenuCopy);
  EXPECT_EQ(f.clipboard().size(), 4u);
  EXPECT_EQ(f.log.count(), 0u);
}

TEST(ByteMenuModel, SelectionSwapsAndHoldsAtMost256Bytes) {
  MenuFixture f;
  f.run(0x100, kByteMenuSelection);
  EXPECT_EQ(f.view.selectionStart(), 0x100u);
  EXPECT_EQ(f.view.selectionEnd(), kNoOffset);

  f.run(0x80, kByteMenuSelection);  // before the start: the ends swap
  EXPECT_EQ(f.view.selectionStart(), 0x80u);
  EXPECT_EQ(f.view.selectionEnd(), 0x100u);

  f.run(0x17F, kByteMenuSelection);  // 0x80..0x17F: exactly 256 bytes
  EXPECT_EQ(f.view.selectionStart(), 0x80u);
  EXPECT_EQ(f.view.selectionEnd(), 0x17Fu);
  EXPECT_TRUE(f.messages.shown().empty());

  f.run(0x180, kByteMenuSelection);  // 257 bytes: refused, the old selection stays
  EXPECT_EQ(f.view.selectionStart(), 0x80u);
  EXPECT_EQ(f.view.selectionEnd(), 0x17Fu);
  ASSERT_EQ(f.messages.shown().size(), 1u);
  EXPECT_EQ(f.messages.shown()[0].caption, u"Error");
  EXPECT_EQ(f.messages.shown()[0].text, u"Sorry, only 256 bytes can be selected.");
  EXPECT_EQ(f.messages.shown()[0].style, kStyleError);

  f.run(0x7F, kByteMenuSelection);  // 0x7F..0x80 after the swap: the old end is dropped
  EXPECT_EQ(f.view.selectionStart(), 0x7Fu);
  EXPECT_EQ(f.view.selectionEnd(), 0x80u);

  f.view.setSelection(0x200, 0x201);
  f.run(0x100, kByteMenuSelection);  // swapped, 0x100..0x200 is 257 bytes: refused
  EXPECT_EQ(f.view.selectionStart(), 0x200u);
  EXPECT_EQ(f.view.selectionEnd(), 0x201u);
  f.run(0x101, kByteMenuSelection);  // swapped, 256 bytes
  EXPECT_EQ(f.view.selectionStart(), 0x101u);
  EXPECT_EQ(f.view.selectionEnd(), 0x200u);

  f.run(0x7F, kByteMenuClearSelection);
  EXPECT_EQ(f.view.selectionStart(), kNoOffset);
  EXPECT_EQ(f.view.selectionEnd(), kNoOffset);
}

TEST(ByteMenuModel, PasteOverwritesUpToTheEndAndUndoTakesBackTheNewest) {
  MenuFixture f;
  const std::uint8_t clip[] = {0xA1, 0xA2, 0xA3, 0xA4};
  f.view.setClipboard(clip, 4);
  EXPECT_TRUE(f.run(3998, kByteMenuPaste));  // the second-to-last byte
  EXPECT_EQ(f.data.size(), 4000u);
  EXPECT_EQ(f.data[3998], 0xA1);
  EXPECT_EQ(f.data[3999], 0xA2);
  ASSERT_EQ(f.log.count(), 2u);
  EXPECT_EQ(f.log.entry(0).offset, 3998u);
  EXPECT_EQ(f.log.entry(0).oldValue, std::uint8_t(3998 % 256));
  EXPECT_EQ(f.log.entry(0).newValue, 0xA1);
  EXPECT_EQ(f.log.entry(1).offset, 3999u);
  EXPECT_NE(f.view.rowsText().find(u"a1 a2"), std::u16string::npos);

  EXPECT_TRUE(f.run(10, kByteMenuUndo));  // the newest change, wherever it is
  EXPECT_EQ(f.data[3999], std::uint8_t(3999 % 256));
  EXPECT_EQ(f.data[3998], 0xA1);
  EXPECT_EQ(f.log.count(), 1u);

  f.view.setClipboard(clip, 0);
  EXPECT_FALSE(f.run(10, kByteMenuPaste));  // greyed with an empty clipboard: nothing
  EXPECT_FALSE(f.run(10, kByteMenuByteInfo));
  EXPECT_FALSE(f.run(10, 0));
  EXPECT_EQ(f.log.count(), 1u);
}

}  // namespace
}  // namespace nibblet
