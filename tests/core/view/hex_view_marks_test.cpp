#include <gtest/gtest.h>

#include "core/diff/diff_set.h"
#include "core/document/change_log.h"
#include "core/settings/settings.h"
#include "view_fixture.h"

namespace nibblet {
namespace {

using test::ViewFixture;

// 4000 bytes: offset column 40 pixels, ten bytes per row, hex area 240, ten rows on screen.
TEST(HexViewCells, HexAndTextCellsOfTheShownBytes) {
  struct Case {
    std::uint32_t top, offset;
    bool shown;
    Rect hex, text;
  } cases[] = {
      {0, 0, true, {40, 0, 64, 16}, {280, 0, 288, 16}},
      {0, 9, true, {256, 0, 280, 16}, {352, 0, 360, 16}},
      {0, 10, true, {40, 16, 64, 32}, {280, 16, 288, 32}},
      {0, 99, true, {256, 144, 280, 160}, {352, 144, 360, 160}},
      {0, 100, false, {}, {}},  // the first byte below the screen
      {10, 9, false, {}, {}},   // above the top row
      {10, 10, true, {40, 0, 64, 16}, {280, 0, 288, 16}},
      {3990, 3999, true, {256, 0, 280, 16}, {352, 0, 360, 16}},
      {3990, 4000, false, {}, {}},  // one past the end
  };
  for (const Case& c : cases) {
    ViewFixture f;
    f.open(4000);
    f.view.gotoOffset(c.top);
    ASSERT_EQ(f.view.topOffset(), c.top);
    Rect hex, text;
    EXPECT_EQ(f.view.hexCell(c.offset, hex), c.shown) << c.offset;
    EXPECT_EQ(f.view.textCell(c.offset, text), c.shown) << c.offset;
    if (c.shown) {
      EXPECT_EQ(hex, c.hex) << c.offset;
      EXPECT_EQ(text, c.text) << c.offset;
    }
  }
}

std::vector<std::pair<MarkKind, std::uint32_t>> kindsAndOffsets(const HexView& view) {
  std::vector<Mark> marks;
  view.collectMarks(marks);
  std::vector<std::pair<MarkKind, std::uint32_t>> out;
  for (const Mark& m : marks) out.emplace_back(m.kind, m.offset);
  return out;
}

TEST(HexViewMarks, ListsTheShownMarksInPaintOrder) {
  ViewFixture f;
  f.open(4000);
  ChangeLog log;
  DiffSet diffs;
  f.view.setChangeLog(&log);
  f.view.setDiffSet(&diffs);
  log.append(5, 0, 1);
  log.append(0, 0, 1);
  log.append(5, 1, 2);   // changed twice: marked once
  log.append(100, 0, 1); // below the screen
  diffs.append({5, 0, 9});
  diffs.append({99, 0, 9});
  f.view.setSelection(3, 4);
  f.view.setSearchMatch(98, 4);  // runs off the screen
  ASSERT_EQ(f.view.tap(41 + 24 * 7, 0), TapResult::Byte);
  f.view.beginEntry();
  using K = MarkKind;
  std::vector<std::pair<MarkKind, std::uint32_t>> expected = {
      {K::Change, 0}, {K::Change, 5}, {K::Difference, 5}, {K::Difference, 99},
      {K::Selection, 3}, {K::Selection, 4}, {K::SearchResult, 98}, {K::SearchResult, 99},
      {K::EntryMarker, 7}};
  EXPECT_EQ(kindsAndOffsets(f.view), expected);

  std::vector<Mark> marks;
  f.view.collectMarks(marks);
  EXPECT_EQ(marks.back().hexCell, (Rect{208, 0, 232, 16}));
  EXPECT_EQ(marks.back().textCell, (Rect{336, 0, 344, 16}));

  // A relayout during the entry hides the marker; a reversed selection paints nothing; a
  // selection start alone marks one byte.
  f.view.relayout(0, 0, 360, 160, ViewFrame{});
  EXPECT_EQ(f.view.markerShown(), Marker::Hidden);
  f.view.setSelection(4, 3);
  f.view.setSearchMatch(kNoOffset, 0);
  log.clear();
  diffs.clear();
  EXPECT_TRUE(kindsAndOffsets(f.view).empty());
  f.view.setSelection(8, kNoOffset);
  EXPECT_EQ(kindsAndOffsets(f.view), (std::vector<std::pair<MarkKind, std::uint32_t>>{{K::Selection, 8}}));
}

TEST(HexViewMarks, AMillionEntriesYieldOnlyTheShownOnes) {
  ViewFixture f;
  f.open(4'000'000, 360, 160);
  ChangeLog log;
  DiffSet diffs;
  for (std::uint32_t i = 0; i < 1'000'000; ++i) log.append((i * 2654435761u) % 4'000'000, 0, 1);
  for (std::uint32_t i = 0; i < 1'000'000; ++i) diffs.append({i * 4, 0, 1});
  f.view.setChangeLog(&log);
  f.view.setDiffSet(&diffs);
  f.view.gotoOffset(2'000'000);
  const std::uint32_t first = f.view.topOffset();
  const std::uint32_t last = first + f.view.shownBytes() - 1;
  ASSERT_EQ(f.view.shownBytes(), 90u);  // nine bytes per row beside six offset digits
  std::vector<Mark> marks;
  f.view.collectMarks(marks);
  std::size_t changes = 0, differences = 0;
  for (const Mark& m : marks) {
    EXPECT_GE(m.offset, first);
    EXPECT_LE(m.offset, last);
    (m.kind == MarkKind::Change ? changes : differences)++;
  }
  EXPECT_EQ(differences, last / 4 - (first + 3) / 4 + 1);
  EXPECT_GT(changes, 0u);
  EXPECT_LE(changes, 90u);
}

TEST(HexViewMarks, ColoursComeFromTheSettings) {
  test::FixedMeasure measure;
  HexView view(measure);
  Settings s;
  setText(s.changesColor, u"250,152,5");
  setText(s.diffColor, u"0 0 255");
  setText(s.selectedColor, u"1;2;3");
  setText(s.searchResultColor, u"0,255,0");
  setText(s.editStartColor, u"255,0,0");
  view.refreshBrushes(s);
  EXPECT_EQ(view.markColour(MarkKind::Change), 250u + 152 * 256 + 5 * 65536);
  EXPECT_EQ(view.markColour(MarkKind::Difference), 255u * 65536);
  EXPECT_EQ(view.markColour(MarkKind::Selection), 1u + 2 * 256 + 3 * 65536);
  EXPECT_EQ(view.markColour(MarkKind::SearchResult), 255u * 256);
  EXPECT_EQ(view.markColour(MarkKind::EntryMarker), 255u);
}

}  // namespace
}  // namespace nibblet
