// The hex view's per-screen work on a full 480 x 640 screen (12-point fixed font: cells of
// 10 x 22 pixels). rebuildText against a plain snprintf-per-byte formatter of the same rows;
// the paint's mark list with a million change-log and a million diff entries against the same
// screen with empty lists and with lists holding only the marks on screen.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "bench_ratio.h"
#include "core/diff/diff_set.h"
#include "core/document/change_log.h"
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
BENCHMARK(BM_RebuildText);

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
BENCHMARK(BM_SnprintfRowsBaseline);

void collect(benchmark::State& state, const ChangeLog& log, const DiffSet& diffs) {
  Screen s;
  s.view.setChangeLog(const_cast<ChangeLog*>(&log));
  s.view.setDiffSet(&diffs);
  std::vector<Mark> marks;
  s.view.collectMarks(marks);  // the log's offset index is built once, on the first paint
  for (auto _ : state) {
    s.view.collectMarks(marks);
    benchmark::DoNotOptimize(marks.data());
  }
  state.counters["marks"] = static_cast<double>(marks.size());
}

void BM_MarksNone(benchmark::State& state) {
  ChangeLog log;
  DiffSet diffs;
  collect(state, log, diffs);
}
BENCHMARK(BM_MarksNone);

// A million random changes and a difference at every 16th byte (the whole file).
void BM_MarksMillion(benchmark::State& state) {
  static ChangeLog log;
  static DiffSet diffs;
  if (log.count() == 0) {
    std::mt19937 random(11);
    for (int i = 0; i < 1'000'000; ++i) log.append(random() % kFileSize, 0, 1);
    for (std::uint32_t i = 0; i < 1'000'000; ++i) diffs.append({i * 16, 0, 1});
  }
  collect(state, log, diffs);
}
BENCHMARK(BM_MarksMillion);

// Only the entries of the million-entry lists that lie on screen: the same marks to draw.
void BM_MarksSameScreenFewEntries(benchmark::State& state) {
  static ChangeLog log;
  static DiffSet diffs;
  if (log.count() == 0) {
    Screen s;
    std::uint32_t first = s.view.topOffset(), last = first + s.view.shownBytes() - 1;
    std::mt19937 random(11);
    for (int i = 0; i < 1'000'000; ++i) {
      std::uint32_t offset = random() % kFileSize;
      if (offset >= first && offset <= last) log.append(offset, 0, 1);
    }
    for (std::uint32_t i = 0; i < 1'000'000; ++i)
      if (i * 16 >= first && i * 16 <= last) diffs.append({i * 16, 0, 1});
  }
  collect(state, log, diffs);
}
BENCHMARK(BM_MarksSameScreenFewEntries);

// What a paint after a scroll costs in the core: the rows text and the mark list.
void BM_ScrollPaintNone(benchmark::State& state) {
  Screen s;
  std::vector<Mark> marks;
  for (auto _ : state) {
    s.view.rebuildText();
    s.view.collectMarks(marks);
    benchmark::DoNotOptimize(marks.data());
  }
}
BENCHMARK(BM_ScrollPaintNone);

void BM_ScrollPaintMillion(benchmark::State& state) {
  ChangeLog log;
  DiffSet diffs;
  std::mt19937 random(11);
  for (int i = 0; i < 1'000'000; ++i) log.append(random() % kFileSize, 0, 1);
  for (std::uint32_t i = 0; i < 1'000'000; ++i) diffs.append({i * 16, 0, 1});
  Screen s;
  s.view.setChangeLog(&log);
  s.view.setDiffSet(&diffs);
  std::vector<Mark> marks;
  s.view.collectMarks(marks);
  for (auto _ : state) {
    s.view.rebuildText();
    s.view.collectMarks(marks);
    benchmark::DoNotOptimize(marks.data());
  }
}
BENCHMARK(BM_ScrollPaintMillion);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  nibblet::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nrebuildText: %.2f us per screen (target under 50 us)\n", reporter.time("BM_RebuildText") / 1000);
  reporter.printRatio("rebuildText vs snprintf rows", "BM_RebuildText", "BM_SnprintfRowsBaseline");
  reporter.printRatio("mark list, 1M+1M entries vs none", "BM_MarksMillion", "BM_MarksNone");
  reporter.printRatio("mark list, 1M+1M entries vs the same marks from short lists", "BM_MarksMillion",
                      "BM_MarksSameScreenFewEntries");
  reporter.printRatio("rows text + mark list, 1M+1M vs none", "BM_ScrollPaintMillion", "BM_ScrollPaintNone");
  benchmark::Shutdown();
  return 0;
}
