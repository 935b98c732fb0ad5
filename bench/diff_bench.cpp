// Importing a difference file into the change log, against storing the same bytes without
// logging them, in the same run. The comparison is measured by compare_bench, the writing and
// reading of difference files by diff_file_bench.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench_ratio.h"
#include "core/diff/diff_file.h"
#include "core/diff/diff_import.h"
#include "core/document/change_log.h"
#include "core/platform/unicode.h"

namespace {

using namespace nibblet;

constexpr std::uint32_t kMiB64 = 64u << 20;
constexpr std::uint32_t kLines = 4u << 20;

// The 4M-line file: one line per 16th byte of a 64 MiB document.
const ChangeLog& bigLog() {
  static ChangeLog log;
  if (log.count() == 0)
    for (std::uint32_t i = 0; i < kLines; ++i) log.append(i * 16, static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(~i));
  return log;
}

std::vector<DiffLine> importLines() {
  std::vector<DiffLine> lines;
  const ChangeLog& log = bigLog();
  for (std::uint32_t i = 0; i < log.count(); ++i)
    lines.push_back({log.entry(i).offset, log.entry(i).oldValue, log.entry(i).newValue});
  return lines;
}

std::vector<std::uint8_t> documentFor(const std::vector<DiffLine>& lines) {
  std::vector<std::uint8_t> doc(kMiB64, 0);
  for (const DiffLine& l : lines) doc[l.offset] = l.firstValue;
  return doc;
}

void BM_Import(benchmark::State& state) {
  static const std::vector<DiffLine> lines = importLines();
  static const std::vector<std::uint8_t> original = documentFor(lines);
  std::vector<std::uint8_t> doc = original;
  ChangeLog log;
  for (auto _ : state) {
    state.PauseTiming();
    doc = original;
    log.clear();
    state.ResumeTiming();
    if (firstMismatch(lines, doc.data(), kMiB64, DiffDirection::Apply) != lines.size()) state.SkipWithError("mismatch");
    writeLines(lines, doc.data(), kMiB64, log, DiffDirection::Apply);
  }
  state.counters["lines"] = double(log.count());
}

void BM_StoreBytesBaseline(benchmark::State& state) {
  static const std::vector<DiffLine> lines = importLines();
  static const std::vector<std::uint8_t> original = documentFor(lines);
  std::vector<std::uint8_t> doc = original;
  for (auto _ : state) {
    state.PauseTiming();
    doc = original;
    state.ResumeTiming();
    for (const DiffLine& l : lines) doc[l.offset] = l.secondValue;
    benchmark::DoNotOptimize(doc.data());
  }
  state.SetLabel("baseline: storing the bytes without test or log");
}

BENCHMARK(BM_Import)->Repetitions(5)->ReportAggregatesOnly(true)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StoreBytesBaseline)->Repetitions(5)->ReportAggregatesOnly(true)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  nibblet::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const std::string r = "/repeats:5/real_time";
  reporter.printMedianRatio("import 4M lines vs storing the bytes", "BM_Import" + r, "BM_StoreBytesBaseline" + r);
  std::printf("target: import of 4M lines < 2000 ms\n");
  return 0;
}
