// The change log as it grows: a paint of a full screen right after an edit against the same paint
// before it, on a log of a million entries; and a log built entry by entry to a million with a
// paint after every entry, per entry, against pushing the same entries into a plain vector.

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "bench_ratio.h"
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
constexpr int kMillion = 1'000'000;

std::vector<std::uint8_t>& fileBytes() {
  static std::vector<std::uint8_t> bytes(kFileSize, 0x5A);
  return bytes;
}

// A 480 x 640 screen in the middle of the file over a log of a million random changes.
struct Screen {
  CellMeasure measure;
  HexView view{measure};
  ChangeLog log;
  std::mt19937 random{11};
  std::vector<Mark> marks;
  Screen() {
    for (int i = 0; i < kMillion; ++i) log.append(random() % kFileSize, 0, 1);
    view.setToolbarHeight(24);
    view.relayout(1, 1, 0, 0, ViewFrame{480, 640, 96, 17, 2});
    view.setData(fileBytes().data(), kFileSize, kFileSize / 2);
    view.setChangeLog(&log);
    paint();
  }
  void paint() {
    view.rebuildText();
    view.collectMarks(marks);
    benchmark::DoNotOptimize(marks.data());
  }
  // An edit somewhere in the file: the marks on screen stay as many, so the two paints differ
  // only by the work the edit left for the index.
  void edit() { log.append(random() % kFileSize, 0x5A, 0x5A); }
};

// The paint before an edit, on a log that has seen many edits, each painted: the index is as
// an editing session leaves it.
void BM_PaintBeforeEdit(benchmark::State& state) {
  Screen s;
  for (int i = 0; i < 100000; ++i) {
    s.edit();
    s.paint();
  }
  for (auto _ : state) s.paint();
}
BENCHMARK(BM_PaintBeforeEdit)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_EditThenPaint(benchmark::State& state) {
  Screen s;
  for (auto _ : state) {
    s.edit();
    s.paint();
  }
  state.counters["entries"] = s.log.count();
}
BENCHMARK(BM_EditThenPaint)->Repetitions(5)->ReportAggregatesOnly(true);

// A paste of 256 bytes into the million-entry log, then a paint.
void BM_PasteThenPaint(benchmark::State& state) {
  Screen s;
  for (auto _ : state) {
    std::uint32_t at = s.random() % (kFileSize - 256);
    for (std::uint32_t i = 0; i < 256; ++i) s.log.append(at + i, 0x5A, 0x5A);
    s.paint();
  }
}
BENCHMARK(BM_PasteThenPaint)->Repetitions(5)->ReportAggregatesOnly(true);

// A million entries, each followed by a look-up of its own offset, which brings the index up to
// date as a paint does.
void BM_BuildMillionPaintingEach(benchmark::State& state) {
  for (auto _ : state) {
    ChangeLog log;
    std::mt19937 random(3);
    std::size_t found = 0;
    for (int i = 0; i < kMillion; ++i) {
      std::uint32_t offset = random() % kFileSize;
      log.append(offset, 0, 1);
      log.forEachInRange(offset, offset, [&](std::uint32_t) { ++found; });
    }
    benchmark::DoNotOptimize(found);
  }
  state.counters["ns_per_entry"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * kMillion, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_BuildMillionPaintingEach)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);

// The same entries pushed into a vector: the least an append can cost.
void BM_BuildMillionVectorBaseline(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<ChangeEntry> entries;
    std::mt19937 random(3);
    for (int i = 0; i < kMillion; ++i) entries.push_back({static_cast<std::uint32_t>(random() % kFileSize), 0, 1});
    benchmark::DoNotOptimize(entries.data());
  }
}
BENCHMARK(BM_BuildMillionVectorBaseline)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  nibblet::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\n");
  reporter.printMedianRatio("paint right after an edit vs before it (target: time ratio at most 2)", "BM_EditThenPaint",
                            "BM_PaintBeforeEdit");
  reporter.printMedianRatio("paste of 256 then paint vs paint alone", "BM_PasteThenPaint", "BM_PaintBeforeEdit");
  reporter.printMedianRatio("1M appends, index brought up to date after each, vs 1M vector pushes",
                            "BM_BuildMillionPaintingEach", "BM_BuildMillionVectorBaseline");
  double build = reporter.aggregate("BM_BuildMillionPaintingEach", "_median");
  std::printf("per entry, index up to date after each: %.3f us (target at most 1 us)\n", build * 1000.0 / kMillion);
  benchmark::Shutdown();
  return 0;
}
