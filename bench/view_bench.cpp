// The hex view's per-screen work on a full 480 x 640 screen (12-point fixed font: cells of
// 10 x 22 pixels), each measured as the median of repeated runs with its spread:
// - rebuildText against two formatters of the same rows: one snprintf per byte (the slow way)
//   and a table-driven formatter written the obvious way (the fair one);
// - the mark list at random scroll positions with a million change-log and a million diff
//   entries, against the same positions with empty lists;
// - a paint right after an edit (scroll, append, store, rows text, mark list) with a change log
//   of a million entries, against the same edits and paints with a log that starts empty;
// - the values panel's refresh after a tap (every row decoded, and the count, sum and CRC-32 of a
//   256-byte selection), against rebuildText of the same screen.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "bench_ratio.h"
#include "core/diff/diff_set.h"
#include "core/document/change_log.h"
#include "core/i18n/string_module.h"
#include "core/inspect/values_panel_model.h"
#include "core/platform/registry_key.h"
#include "core/view/hex_view.h"

namespace {

using namespace nibblet;

class CellMeasure : public TextMeasure {
 public:
  int width(std::u16string_view text) const override { return 10 * static_cast<int>(text.size()); }
  int height(std::u16string_view) const override { return 22; }
};

constexpr std::uint32_t kFileSize = 16u << 20;

std::vector<std::uint8_t>& fileBytes() {
  static std::vector<std::uint8_t> bytes = [] {
    std::vector<std::uint8_t> b(kFileSize);
    std::mt19937 random(7);
    for (auto& x : b) x = static_cast<std::uint8_t>(random());
    return b;
  }();
  return bytes;
}

// A view as the main window lays it out on a 480 x 640 screen, scrolled to the middle.
struct Screen {
  CellMeasure measure;
  HexView view{measure};
  Screen() {
    view.setToolbarHeight(24);
    view.relayout(1, 1, 0, 0, ViewFrame{480, 640, 96, 17, 2});
    view.setData(fileBytes().data(), kFileSize, kFileSize / 2);
  }
};

void BM_RebuildText(benchmark::State& state) {
  Screen s;
  for (auto _ : state) {
    s.view.rebuildText();
    benchmark::DoNotOptimize(s.view.rowsText().data());
  }
  state.counters["bytes"] = s.view.shownBytes();
}
BENCHMARK(BM_RebuildText)->Repetitions(9)->ReportAggregatesOnly(true);

// The same rows written with one snprintf per offset and per byte.
void BM_SnprintfRowsBaseline(benchmark::State& state) {
  Screen s;
  const std::uint8_t* bytes = fileBytes().data();
  const std::uint32_t top = s.view.topOffset(), n = s.view.shownBytes(), perRow = s.view.bytesPerRow();
  const int digits = s.view.offsetDigits();
  std::vector<char> out(s.view.rowsText().size() + 64);
  for (auto _ : state) {
    char* p = out.data();
    for (std::uint32_t row = 0; row < n; row += perRow) {
      p += std::snprintf(p, 16, "%0*X: ", digits, top + row);
      for (std::uint32_t c = 0; c < perRow; ++c) p += std::snprintf(p, 4, "%02x ", bytes[top + row + c]);
      for (std::uint32_t c = 0; c < perRow; ++c) {
        std::uint8_t b = bytes[top + row + c];
        *p++ = b <= 0x10 ? '.' : static_cast<char>(b);
      }
      *p++ = '\r';
      *p++ = '\n';
    }
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_SnprintfRowsBaseline)->Repetitions(9)->ReportAggregatesOnly(true);

// The same rows from lookup tables: two hex digits per byte from a 256-entry table, the offset
// digit by digit, the text column byte by byte.
void BM_TableRowsBaseline(benchmark::State& state) {
  Screen s;
  const std::uint8_t* bytes = fileBytes().data();
  const std::uint32_t top = s.view.topOffset(), n = s.view.shownBytes(), perRow = s.view.bytesPerRow();
  const int digits = s.view.offsetDigits();
  static const char kUpper[] = "0123456789ABCDEF";
  static char pairs[256][2];
  for (int b = 0; b < 256; ++b) {
    pairs[b][0] = "0123456789abcdef"[b >> 4];
    pairs[b][1] = "0123456789abcdef"[b & 15];
  }
  std::vector<char> out(s.view.rowsText().size() + 64);
  for (auto _ : state) {
    char* p = out.data();
    for (std::uint32_t row = 0; row < n; row += perRow) {
      std::uint32_t offset = top + row;
      for (int d = digits - 1; d >= 0; --d) *p++ = kUpper[(offset >> (4 * d)) & 15];
      *p++ = ':';
      *p++ = ' ';
      for (std::uint32_t c = 0; c < perRow; ++c) {
        const char* pair = pairs[bytes[offset + c]];
        *p++ = pair[0];
        *p++ = pair[1];
        *p++ = ' ';
      }
      for (std::uint32_t c = 0; c < perRow; ++c) {
        std::uint8_t b = bytes[offset + c];
        *p++ = b <= 0x10 ? '.' : static_cast<char>(b);
      }
      *p++ = '\r';
      *p++ = '\n';
    }
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_TableRowsBaseline)->Repetitions(9)->ReportAggregatesOnly(true);

// A million random changes and a difference at every 16th byte (the whole file).
struct MillionMarks {
  ChangeLog log;
  DiffSet diffs;
  MillionMarks() {
    std::mt19937 random(11);
    for (int i = 0; i < 1'000'000; ++i) log.append(random() % kFileSize, 0, 1);
    for (std::uint32_t i = 0; i < 1'000'000; ++i) diffs.append({i * 16, 0, 1});
  }
};

MillionMarks& millionMarks() {
  static MillionMarks marks;
  return marks;
}

// 256 scroll positions spread over the whole file, the same for every run.
const std::vector<std::uint32_t>& randomPositions() {
  static std::vector<std::uint32_t> positions = [] {
    std::vector<std::uint32_t> p(256);
    std::mt19937 random(5);
    for (auto& x : p) x = random() % kFileSize;
    return p;
  }();
  return positions;
}

// Scrolls to the next random position and collects the marks there; range(0) is 1 for the
// million-entry lists and 0 for empty ones. range(1) is 1 when the rows text is rebuilt too.
void BM_MarksAtRandomPositions(benchmark::State& state) {
  ChangeLog emptyLog;
  DiffSet emptyDiffs;
  bool full = state.range(0) != 0;
  Screen s;
  s.view.setChangeLog(full ? &millionMarks().log : &emptyLog);
  s.view.setDiffSet(full ? &millionMarks().diffs : &emptyDiffs);
  std::vector<Mark> marks;
  s.view.collectMarks(marks);  // the log's offset index is built once, on the first paint
  const auto& positions = randomPositions();
  std::size_t next = 0, collected = 0;
  for (auto _ : state) {
    s.view.gotoOffset(positions[next++ & 255]);
    if (state.range(1)) s.view.rebuildText();
    s.view.collectMarks(marks);
    collected += marks.size();
    benchmark::DoNotOptimize(marks.data());
  }
  state.counters["marks"] = benchmark::Counter(static_cast<double>(collected), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_MarksAtRandomPositions)
    ->Args({1, 0})->Args({0, 0})->Args({1, 1})->Args({0, 1})
    ->Repetitions(9)->ReportAggregatesOnly(true);

// One edit on screen and the paint that follows it: the view scrolled to a new random place,
// an entry appended for a byte there and the byte stored, then the rows text and the mark list.
// range(0) is the number of entries in the log before the first edit. Each edit lands on a
// different screen, so the screen's own entries stay few and only the log's size differs.
void BM_PaintAfterEdit(benchmark::State& state) {
  ChangeLog log;
  DiffSet diffs;
  std::mt19937 random(11);
  for (std::int64_t i = 0; i < state.range(0); ++i) log.append(random() % kFileSize, 0, 1);
  std::vector<std::uint8_t> bytes(fileBytes());
  Screen s;
  s.view.setData(bytes.data(), kFileSize, kFileSize / 2);
  s.view.setChangeLog(&log);
  s.view.setDiffSet(&diffs);
  std::vector<Mark> marks;
  s.view.rebuildText();
  s.view.collectMarks(marks);
  std::mt19937 places(5);
  std::uint32_t k = 0;
  for (auto _ : state) {
    s.view.gotoOffset(places() % kFileSize);
    std::uint32_t offset = s.view.topOffset() + (k++ * 37) % s.view.shownBytes();
    std::uint8_t value = static_cast<std::uint8_t>(k);
    log.append(offset, bytes[offset], value);
    bytes[offset] = value;
    s.view.rebuildText();
    s.view.collectMarks(marks);
    benchmark::DoNotOptimize(marks.data());
  }
}
BENCHMARK(BM_PaintAfterEdit)->Arg(1'000'000)->Arg(0)->Repetitions(9)->ReportAggregatesOnly(true);

// A tap on a new byte and the values panel's refresh: the core work behind a tap, with the
// largest selection summed and checked.
void BM_ValuesAfterTap(benchmark::State& state) {
  Screen s;
  Texts texts;
  MemoryRegistryKey key;
  ValuesPanelModel panel(s.view, texts, key);
  const std::uint32_t top = s.view.topOffset();
  s.view.setSelection(top, top + 255);
  std::uint32_t k = 0;
  for (auto _ : state) {
    panel.follow(top + (k++ * 37) % s.view.shownBytes());
    benchmark::DoNotOptimize(panel.rows().data());
  }
}
BENCHMARK(BM_ValuesAfterTap)->Repetitions(9)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  nibblet::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const std::string r = "/repeats:9";
  std::printf("\nrebuildText: median %.2f us per screen (target under 50 us)\n",
              reporter.time("BM_RebuildText" + r + "_median") / 1000);
  reporter.printMedianRatio("rebuildText vs one snprintf per byte", "BM_RebuildText" + r, "BM_SnprintfRowsBaseline" + r);
  reporter.printMedianRatio("rebuildText vs a table-driven formatter", "BM_RebuildText" + r, "BM_TableRowsBaseline" + r);
  reporter.printMedianRatio("mark list at random positions, 1M+1M entries vs empty lists",
                            "BM_MarksAtRandomPositions/1/0" + r, "BM_MarksAtRandomPositions/0/0" + r);
  reporter.printMedianRatio("rows text + mark list at random positions, 1M+1M entries vs empty lists",
                            "BM_MarksAtRandomPositions/1/1" + r, "BM_MarksAtRandomPositions/0/1" + r);
  reporter.printMedianRatio("edit + paint, log of 1M entries vs a log that starts empty",
                            "BM_PaintAfterEdit/1000000" + r, "BM_PaintAfterEdit/0" + r);
  const double values = reporter.time("BM_ValuesAfterTap" + r + "_median") / 1000;
  std::printf("values panel after a tap: median %.2f us (target at most 50 us): %s\n", values,
              values > 0 && values <= 50 ? "met" : "MISSED");
  reporter.printMedianRatio("values panel after a tap vs rebuildText of the screen", "BM_ValuesAfterTap" + r,
                            "BM_RebuildText" + r);
  benchmark::Shutdown();
  return 0;
}
