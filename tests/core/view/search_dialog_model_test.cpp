#include "core/view/search_dialog_model.h"

#include <gtest/gtest.h>

#include "core/i18n/command_ids.h"
#include "core/i18n/string_module.h"
#include "core/platform/code_page.h"
#include "core/platform/message_box.h"
#include "core/platform/wait_cursor.h"
#include "view_fixture.h"

namespace nibblet {
namespace {

class CountingCursor : public WaitCursor {
 public:
  void begin() override { ++begun; }
  void end() override { ++ended; }
  int begun = 0, ended = 0;
};

class RefusingCodePage : public CodePage {
 public:
  bool toMultiByte(std::u16string_view, std::string&) const override { return false; }
  bool toWide(std::string_view, std::u16string&) const override { return false; }
};

// 4000 bytes of zeros, ten per row and twenty rows on screen, with texts planted by the tests.
struct SearchFixture : test::ViewFixture {
  Texts texts;
  Utf8CodePage codePage;
  ScriptedMessageBox messages;
  CountingCursor cursor;

  SearchFixture() {
    open(4000, 360, 320);
    std::fill(data.begin(), data.end(), 0);
    view.rebuildText();
  }
  void plant(std::uint32_t at, std::string_view bytes) { std::copy(bytes.begin(), bytes.end(), data.begin() + at); }
  SearchDialogModel dialog() { return SearchDialogModel(view, texts, codePage, messages, cursor); }
  // Runs the dialog's Ok on `text` in `mode`; true when the dialog ends.
  bool search(SearchMode mode, std::u16string_view text, bool fromStart = false) {
    SearchDialogModel d = dialog();
    d.command(mode == SearchMode::Hex ? kCmdEntryHex : mode == SearchMode::Text ? kCmdEntryText : kCmdEntryUnicode);
    if (fromStart) d.command(kCmdSearchAtFirst);
    d.setText(text);
    return d.command(kCmdOk);
  }
  bool next() { return SearchDialogModel::searchNext(view, texts, messages, cursor); }
  std::size_t notFoundCount() const {
    std::size_t n = 0;
    for (const auto& m : messages.shown())
      n += m.caption == u"Search" && m.text == u"Not found" && m.style == kStyleInformation;
    return n;
  }
};

TEST(SearchDialogModel, OpensWithTheLastModeAndTextAndSearchAtFirstOff) {
  SearchFixture f;
  {
    SearchDialogModel d = f.dialog();
    EXPECT_EQ(d.caption(), u"Search");
    EXPECT_TRUE(d.isChecked(kCmdEntryText));  // Text before any search
    EXPECT_EQ(d.text(), u"");
    for (int shown : {kCmdEntryHex, kCmdEntryText, kCmdEntryUnicode, kCmdSearchAtFirst, kCmdOk, kCmdCancel})
      EXPECT_TRUE(d.isShown(shown)) << shown;
    EXPECT_FALSE(d.isShown(kCmdBarCopy));
    EXPECT_FALSE(d.isShown(kCmdBarPaste));
  }
  f.plant(500, "abc");
  EXPECT_FALSE(f.search(SearchMode::Hex, u"99", true));  // not found: mode and text are kept
  SearchDialogModel d = f.dialog();
  EXPECT_TRUE(d.isChecked(kCmdEntryHex));
  EXPECT_FALSE(d.isChecked(kCmdEntryText));
  EXPECT_EQ(d.text(), u"99");
  EXPECT_FALSE(d.searchFromStart());
  d.command(kCmdSearchAtFirst);
  EXPECT_TRUE(d.isChecked(kCmdSearchAtFirst));
  d.command(kCmdSearchAtFirst);
  EXPECT_FALSE(d.isChecked(kCmdSearchAtFirst));

  // Paste shows the clipboard as hex pairs in Hex mode.
  const std::uint8_t clip[] = {0x61, 0x0B};
  f.view.setClipboard(clip, 2);
  SearchDialogModel pasted = f.dialog();
  pasted.command(kCmdEntryUnicode);
  EXPECT_TRUE(pasted.isShown(kCmdBarPaste));
  pasted.command(kCmdBarPaste);
  EXPECT_TRUE(pasted.isChecked(kCmdEntryHex));
  EXPECT_EQ(pasted.text(), u"610B");

  // Cancel changes nothing.
  SearchDialogModel cancelled = f.dialog();
  cancelled.command(kCmdEntryUnicode);
  cancelled.setText(u"zz");
  EXPECT_TRUE(cancelled.command(kCmdCancel));
  EXPECT_EQ(f.view.searchState().mode, SearchMode::Hex);
  EXPECT_EQ(f.view.searchState().text, u"99");
}

TEST(SearchDialogModel, SearchesFromTheTopRowOrFromTheStart) {
  SearchFixture f;
  f.plant(105, "needle");
  f.view.gotoOffset(200);
  ASSERT_EQ(f.view.topOffset(), 200u);
  EXPECT_FALSE(f.search(SearchMode::Text, u"needle"));  // above the top row: not found
  EXPECT_EQ(f.notFoundCount(), 1u);
  EXPECT_EQ(f.view.searchMatch(), kNoOffset);
  EXPECT_TRUE(f.view.searchState().pattern.empty());

  EXPECT_TRUE(f.search(SearchMode::Text, u"needle", true));
  EXPECT_EQ(f.view.searchMatch(), 105u);
  EXPECT_EQ(f.view.searchLength(), 6u);
  EXPECT_EQ(f.view.topOffset(), 100u);  // the hit's row is the top row
  EXPECT_EQ(f.cursor.begun, 2);
  EXPECT_EQ(f.cursor.ended, 2);

  // From the top row, which now holds the hit: found again there.
  EXPECT_TRUE(f.search(SearchMode::Text, u"needle"));
  EXPECT_EQ(f.view.searchMatch(), 105u);
  EXPECT_EQ(f.notFoundCount(), 1u);
}

TEST(SearchDialogModel, PatternFormsAndTheirExactBytes) {
  SearchFixture f;
  f.plant(300, "xAbA");
  f.plant(600, std::string_view("A\0B\0", 4));
  EXPECT_FALSE(f.search(SearchMode::Text, u"ab", true));  // no case folding
  EXPECT_EQ(f.notFoundCount(), 1u);
  EXPECT_TRUE(f.search(SearchMode::Text, u"bA", true));
  EXPECT_EQ(f.view.searchMatch(), 302u);
  EXPECT_TRUE(f.search(SearchMode::Unicode, u"AB", true));
  EXPECT_EQ(f.view.searchMatch(), 600u);
  EXPECT_EQ(f.view.searchLength(), 4u);
  EXPECT_EQ(f.view.searchState().pattern, (std::vector<std::uint8_t>{0x41, 0, 0x42, 0}));
  EXPECT_TRUE(f.search(SearchMode::Hex, u"41 6 2", true));  // blanks anywhere: 41 62
  EXPECT_EQ(f.view.searchMatch(), 301u);

  std::vector<std::uint8_t> out;
  std::u16string many(600, u'1');
  ASSERT_TRUE(SearchDialogModel::formPattern(SearchMode::Hex, many, f.codePage, out));
  EXPECT_EQ(out.size(), 255u);
  ASSERT_TRUE(SearchDialogModel::formPattern(SearchMode::Unicode, many, f.codePage, out));
  EXPECT_EQ(out.size(), 1026u);

  // A text the code page cannot hold is not found.
  RefusingCodePage refusing;
  SearchDialogModel d(f.view, f.texts, refusing, f.messages, f.cursor);
  d.command(kCmdEntryText);
  d.setText(u"A");
  EXPECT_FALSE(d.command(kCmdOk));
  EXPECT_EQ(f.view.searchMatch(), kNoOffset);
  EXPECT_EQ(f.notFoundCount(), 2u);
}

TEST(SearchDialogModel, AnEmptyLineOrAPatternWithoutBytesKeepsTheDialogOpen) {
  SearchFixture f;
  f.plant(40, "Q");
  ASSERT_TRUE(f.search(SearchMode::Text, u"Q"));
  EXPECT_FALSE(f.search(SearchMode::Text, u""));
  EXPECT_EQ(f.view.searchMatch(), kNoOffset);  // the old hit is cleared
  EXPECT_EQ(f.view.searchState().text, u"Q");  // an empty line is not remembered
  ASSERT_TRUE(f.search(SearchMode::Text, u"Q"));
  EXPECT_FALSE(f.search(SearchMode::Hex, u"4"));  // a lone digit gives no byte
  EXPECT_EQ(f.view.searchMatch(), kNoOffset);
  EXPECT_EQ(f.view.searchState().text, u"4");
  EXPECT_FALSE(f.next());  // nothing to repeat
  EXPECT_TRUE(f.messages.shown().empty());
}

TEST(SearchDialogModel, SearchNextStepsThroughOverlappingHitsToTheEnd) {
  SearchFixture f;
  EXPECT_FALSE(f.next());  // nothing searched yet: no message
  EXPECT_TRUE(f.messages.shown().empty());

  f.plant(1000, "\x07\x07\x07\x07\x07");
  ASSERT_TRUE(f.search(SearchMode::Hex, u"0707", true));
  std::vector<std::uint32_t> hits{f.view.searchMatch()};
  while (f.next()) hits.push_back(f.view.searchMatch());
  EXPECT_EQ(hits, (std::vector<std::uint32_t>{1000, 1001, 1002, 1003}));
  EXPECT_EQ(f.notFoundCount(), 1u);
  EXPECT_EQ(f.view.searchMatch(), kNoOffset);
  EXPECT_FALSE(f.next());  // after a failed Search next: nothing more, no message
  EXPECT_EQ(f.notFoundCount(), 1u);
}

TEST(SearchDialogModel, AHitEndingAtTheLastByteAndTheScrollBar) {
  SearchFixture f;
  f.plant(3997, "end");
  ASSERT_TRUE(f.search(SearchMode::Text, u"end", true));
  EXPECT_EQ(f.view.searchMatch(), 3997u);
  EXPECT_EQ(f.view.topOffset(), 3990u);
  EXPECT_EQ(f.view.scrollBarPosition(), 1000);  // the last row
  EXPECT_EQ(f.view.searchLength(), 3u);

  // Search next from a hit on the last byte does nothing.
  f.plant(3999, "z");
  ASSERT_TRUE(f.search(SearchMode::Text, u"z", true));
  EXPECT_EQ(f.view.searchMatch(), 3999u);
  EXPECT_FALSE(f.next());
  EXPECT_TRUE(f.messages.shown().empty());
  EXPECT_EQ(f.view.searchMatch(), 3999u);
  EXPECT_TRUE(f.view.searchState().pattern.empty());
}

}  // namespace
}  // namespace nibblet
