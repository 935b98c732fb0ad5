#include "core/view/goto_dialog_model.h"

#include <gtest/gtest.h>
#include <sys/mman.h>

#include "core/i18n/command_ids.h"
#include "core/i18n/string_module.h"
#include "view_fixture.h"

namespace nibblet {
namespace {

TEST(GotoDialogModel, ReadsTheOffsetLikeAHexScan) {
  struct Case {
    std::u16string_view text;
    bool read;
    std::uint32_t value;
  } cases[] = {
      {u"1a0", true, 0x1A0},       {u"0x1A0", true, 0x1A0},   {u"0X1a0", true, 0x1A0},
      {u"1a0xyz", true, 0x1A0},    {u"  \t1A0 7", true, 0x1A0}, {u"+10", true, 0x10},
      {u"80000000", true, 0x80000000}, {u"FFFFFFFF", true, 0xFFFFFFFF}, {u"000000001", true, 1},
      {u"0x", true, 0},            {u"0xg", true, 0},         {u"-0", true, 0},
      {u"", false, 0},             {u"   ", false, 0},        {u"xyz", false, 0},
      {u"-1", false, 0},           {u"- 1", false, 0},        {u"100000000", false, 0},
  };
  for (const Case& c : cases) {
    std::uint32_t value = 12345;
    EXPECT_EQ(GotoDialogModel::parseOffset(c.text, value), c.read) << std::string(c.text.begin(), c.text.end());
    if (c.read) {
      EXPECT_EQ(value, c.value) << std::string(c.text.begin(), c.text.end());
    }
  }
}

// 4000 bytes, ten per row, twenty rows on screen.
TEST(GotoDialogModel, OkGoesToOffsetsUpToTheSizeAndRefusesTheRest) {
  test::ViewFixture f;
  f.open(4000, 360, 320);
  Texts texts;
  auto ok = [&](std::u16string_view text) {
    GotoDialogModel d(f.view, texts);
    d.setText(text);
    return d.command(kCmdOk);
  };
  const std::uint32_t row1A0 = 0x1A0 - 0x1A0 % 10;  // the row holding 0x1A0
  EXPECT_TRUE(ok(u"1a0xyz"));
  EXPECT_EQ(f.view.topOffset(), row1A0);
  EXPECT_TRUE(ok(u"0"));
  EXPECT_TRUE(ok(u"0x1A0"));
  EXPECT_EQ(f.view.topOffset(), row1A0);
  for (std::u16string_view refused : {u"", u"zz", u"FA1", u"80000000", u"-5"}) {
    EXPECT_FALSE(ok(refused));
    EXPECT_EQ(f.view.topOffset(), row1A0);
  }
  EXPECT_TRUE(ok(u"FA0"));  // the size itself: a top row past the data, an empty screen
  EXPECT_EQ(f.view.topOffset(), 4000u);
  EXPECT_EQ(f.view.shownBytes(), 0u);

  GotoDialogModel d(f.view, texts);
  EXPECT_TRUE(d.command(kCmdCancel));
  EXPECT_FALSE(d.command(kCmdEntryHex));
  EXPECT_EQ(d.buttonCount(), 6u);
  EXPECT_TRUE(d.isShown(kCmdOk));
  EXPECT_TRUE(d.isShown(kCmdCancel));
  EXPECT_FALSE(d.isShown(kCmdEntryHex));
  EXPECT_FALSE(d.isShown(kCmdSearchAtFirst));
}

TEST(GotoDialogModel, CaptionShowsTheRangeOfRowStarts) {
  Texts texts;
  test::ViewFixture f;
  f.open(4096, 560, 320);  // four offset digits: sixteen bytes per row
  ASSERT_EQ(f.view.bytesPerRow(), 16u);
  EXPECT_EQ(GotoDialogModel(f.view, texts).caption(), u"Goto (0x0-0xFF0)");
  f.open(5, 560, 320);  // shorter than one row
  EXPECT_EQ(GotoDialogModel(f.view, texts).caption(), u"Goto (0x0-0x0)");
}

// Offsets with the top bit set exist in files of 2 GiB and more: they are accepted there.
TEST(GotoDialogModel, ReachesOffsetsAbove2GiBInALargeFile) {
  const std::size_t size = 0x90001000u;
  void* area = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (area == MAP_FAILED) GTEST_SKIP() << "no address space for a large file";
  test::FixedMeasure measure;
  HexView view(measure);
  view.relayout(0, 0, 360, 320, ViewFrame{});
  view.setData(static_cast<std::uint8_t*>(area), static_cast<std::uint32_t>(size), 0);
  Texts texts;
  GotoDialogModel d(view, texts);
  d.setText(u"90000005");
  EXPECT_TRUE(d.command(kCmdOk));
  EXPECT_EQ(view.topOffset(), 0x90000000u - 0x90000000u % view.bytesPerRow());
  ::munmap(area, size);
}

}  // namespace
}  // namespace nibblet
