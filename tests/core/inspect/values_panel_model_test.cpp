// The values panel's rules without a window: the stored state and its damaged forms, following
// a byte, the selection's sum and CRC-32 against published check values, copying a row, and a
// row's editor writing through the change log or refusing without writing.

#include "core/inspect/values_panel_model.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/document/change_log.h"
#include "core/i18n/command_ids.h"
#include "core/i18n/string_module.h"
#include "core/inspect/crc32.h"
#include "core/inspect/value_entry_model.h"
#include "core/platform/message_box.h"
#include "core/platform/registry_key.h"
#include "core/platform/unicode.h"
#include "core/view/view_fixture.h"

namespace nibblet {
namespace {

struct PanelFixture : test::ViewFixture {
  Texts texts;
  MemoryRegistryKey key;
  ChangeLog log;
  ScriptedMessageBox messages;

  PanelFixture() {
    open(64);
    view.setChangeLog(&log);
  }
  std::string row(const ValuesPanelModel& panel, ValueKind kind) {
    return toUtf8(panel.rows()[static_cast<std::size_t>(kind)].text);
  }
  // Types `text` into the editor of row `kind` and presses Ok; true when the dialog ended.
  bool edit(ValuesPanelModel& panel, ValueKind kind, const std::u16string& text, std::uint32_t* written = nullptr) {
    ValueEntryModel entry(panel, kind, messages);
    entry.setText(text);
    bool ended = entry.command(kCmdOk);
    if (written) *written = entry.bytesWritten();
    return ended;
  }
};

TEST(ValuesPanelModel, StoredStateAndItsDamagedForms) {
  PanelFixture f;
  {
    ValuesPanelModel fresh(f.view, f.texts, f.key);
    EXPECT_FALSE(fresh.isOpen());
    EXPECT_EQ(fresh.byteOrder(), ByteOrder::Little);
    fresh.setOpen(true);
    fresh.setByteOrder(ByteOrder::Big);
  }
  ValuesPanelModel again(f.view, f.texts, f.key);
  EXPECT_TRUE(again.isOpen());
  EXPECT_EQ(again.byteOrder(), ByteOrder::Big);
  EXPECT_EQ(again.byteOrderText(), u"Big endian");

  // Anything but the text "1" reads as collapsed and little endian.
  for (RegistryValue damaged : {RegistryValue{ValueType::Binary, {1}, u""}, RegistryValue{ValueType::String, {}, u"yes"},
                                RegistryValue{ValueType::String, {}, u""}, RegistryValue{ValueType::Other, {}, u"1"}}) {
    f.key.put(u"valuesPanel", damaged);
    f.key.put(u"valuesBigEndian", damaged);
    ValuesPanelModel panel(f.view, f.texts, f.key);
    EXPECT_FALSE(panel.isOpen());
    EXPECT_EQ(panel.byteOrder(), ByteOrder::Little);
  }
}

TEST(ValuesPanelModel, FollowsABytePastNoEndAndDecodesInTheChosenOrder) {
  PanelFixture f;
  ValuesPanelModel panel(f.view, f.texts, f.key);
  EXPECT_EQ(panel.title(), u"Values  00");
  panel.follow(0x10);
  EXPECT_EQ(panel.offset(), 0x10u);
  EXPECT_EQ(f.row(panel, ValueKind::UInt16), "4368");  // 10 11
  panel.setByteOrder(ByteOrder::Big);
  EXPECT_EQ(f.row(panel, ValueKind::UInt16), "4113");
  panel.follow(64);  // past the end: the panel stays where it was
  EXPECT_EQ(panel.offset(), 0x10u);
  panel.follow(62);
  EXPECT_EQ(f.row(panel, ValueKind::UInt32), "needs 4 bytes");
  EXPECT_FALSE(panel.rows()[static_cast<std::size_t>(ValueKind::UInt32)].editable);
  EXPECT_TRUE(panel.rows()[static_cast<std::size_t>(ValueKind::UInt16)].editable);
  // A byte changed elsewhere shows once the panel refreshes.
  f.data[62] = 0xFF;
  panel.refresh();
  EXPECT_EQ(f.row(panel, ValueKind::Int8), "-1");
}

TEST(ValuesPanelModel, SelectionCountSumAndCrc32) {
  EXPECT_EQ(crc32(reinterpret_cast<const std::uint8_t*>("123456789"), 9), 0xCBF43926u);
  const char* fox = "The quick brown fox jumps over the lazy dog";
  EXPECT_EQ(crc32(reinterpret_cast<const std::uint8_t*>(fox), std::strlen(fox)), 0x414FA339u);
  EXPECT_EQ(crc32(nullptr, 0), 0u);

  PanelFixture f;
  std::memcpy(f.data.data() + 8, "123456789", 9);
  ValuesPanelModel panel(f.view, f.texts, f.key);
  EXPECT_TRUE(panel.selectionRows().empty());
  f.view.setSelection(8, 16);
  panel.refresh();
  ASSERT_EQ(panel.selectionRows().size(), 3u);
  EXPECT_EQ(panel.selectionRows()[0].text, u"9 bytes");
  EXPECT_EQ(panel.selectionRows()[1].text, u"477 (0x1DD)");
  EXPECT_EQ(panel.selectionRows()[2].text, u"CBF43926");
  f.view.setSelection(8, kNoOffset);  // a start alone is one byte
  panel.refresh();
  EXPECT_EQ(panel.selectionRows()[0].text, u"1 byte");
  f.view.setSelection(16, 8);  // an end before the start selects nothing
  panel.refresh();
  EXPECT_TRUE(panel.selectionRows().empty());
}

TEST(ValuesPanelModel, CopyTakesTheRowsBytes) {
  PanelFixture f;
  f.data[0] = 0xC3;
  f.data[1] = 0xA9;
  ValuesPanelModel panel(f.view, f.texts, f.key);
  EXPECT_TRUE(panel.copyRow(ValueKind::Utf8));
  ASSERT_EQ(f.view.clipboardCount(), 2);
  EXPECT_EQ(f.view.clipboard()[1], 0xA9);
  EXPECT_EQ(panel.rowBytesText(ValueKind::UInt32), u"00: C3 A9 02 03");
  panel.follow(1);  // A9 is no character: nothing to copy
  EXPECT_FALSE(panel.copyRow(ValueKind::Utf8));
  EXPECT_EQ(f.view.clipboardCount(), 2);
  panel.follow(60);
  EXPECT_FALSE(panel.copyRow(ValueKind::UInt64));
  EXPECT_TRUE(panel.rowBytesText(ValueKind::UInt64).empty());
}

TEST(ValuesPanelModel, AnEditWritesThroughTheChangeLogAndUndoes) {
  PanelFixture f;
  ValuesPanelModel panel(f.view, f.texts, f.key);
  panel.follow(0x20);
  {
    ValueEntryModel entry(panel, ValueKind::Int32, f.messages);
    EXPECT_EQ(entry.text(), u"589439264");  // 20 21 22 23
    EXPECT_EQ(entry.caption(), u"int32 at 20");  // the offset with the view's two digits
    EXPECT_TRUE(entry.isShown(kCmdOk));
    EXPECT_FALSE(entry.isShown(kCmdEntryHex));
  }
  std::uint32_t written = 0;
  EXPECT_TRUE(f.edit(panel, ValueKind::Int32, u"-2", &written));
  EXPECT_EQ(written, 4u);
  EXPECT_EQ(f.data[0x20], 0xFE);
  EXPECT_EQ(f.data[0x23], 0xFF);
  ASSERT_EQ(f.log.count(), 4u);
  EXPECT_EQ(f.log.entry(0).offset, 0x20u);
  EXPECT_EQ(f.log.entry(0).oldValue, 0x20);
  EXPECT_EQ(f.log.entry(3).newValue, 0xFF);
  EXPECT_EQ(f.row(panel, ValueKind::Int32), "-2");  // the panel shows the new value at once
  while (f.view.undoLast()) {
  }
  EXPECT_EQ(f.data[0x20], 0x20);
  EXPECT_EQ(f.data[0x23], 0x23);

  // Refused: the dialog stays, nothing is written or logged, no message.
  EXPECT_FALSE(f.edit(panel, ValueKind::Int32, u"2147483648"));
  EXPECT_FALSE(f.edit(panel, ValueKind::Int32, u""));
  EXPECT_FALSE(f.edit(panel, ValueKind::Float64, u"1e400"));
  panel.follow(60);
  EXPECT_FALSE(f.edit(panel, ValueKind::Float64, u"1"));  // 4 bytes left
  EXPECT_TRUE(f.log.isEmpty());
  EXPECT_TRUE(f.messages.shown().empty());
  EXPECT_EQ(f.data[60], 60);
  // A view that is not editable takes no edit.
  f.view.setEditable(false);
  EXPECT_FALSE(f.edit(panel, ValueKind::UInt8, u"1"));
  EXPECT_EQ(f.data[60], 60);
}

}  // namespace
}  // namespace nibblet
