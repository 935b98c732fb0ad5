// Comparing two files, writing and reading difference files, and importing one into the change
// log, each against a plain baseline doing the same work in the same run: memcmp over the same
// buffers, a byte loop filling a vector, fprintf per line, fgets and sscanf per line, and
// storing the bytes without logging them.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench_ratio.h"
#include "core/diff/compare.h"
#include "core/diff/diff_file.h"
#include "core/diff/diff_import.h"
#include "core/document/change_log.h"
#include "core/platform/unicode.h"

namespace {

using namespace nibblet;

constexpr std::uint32_t kGiB = 1u << 30;
constexpr std::uint32_t kMiB64 = 64u << 20;
constexpr std::uint32_t kLines = 4u << 20;

// Two buffers of `size` bytes; `every` > 0 makes every every-th byte differ, else ten bytes do.
struct Pair {
  std::vector<std::uint8_t> a, b;
};
const Pair& buffers(std::uint32_t size, std::uint32_t every) {
  static std::vector<std::pair<std::uint64_t, Pair>> made;
  std::uint64_t key = (std::uint64_t{size} << 32) | every;
  for (auto& m : made)
    if (m.first == key) return m.second;
  made.emplace_back();
  made.back().first = key;
  Pair& p = made.back().second;
  p.a.resize(size);
  for (std::uint32_t i = 0; i < size; ++i) p.a[i] = static_cast<std::uint8_t>(i * 131 + (i >> 12));
  p.b = p.a;
  if (every > 0) {
    for (std::uint32_t i = 0; i < size; i += every) p.b[i] ^= 0x5A;
  } else {
    for (std::uint32_t k = 1; k <= 10; ++k) p.b[size / 11 * k] ^= 0x01;
  }
  return p;
}

std::size_t heapInUse() { return mallinfo2().uordblks + mallinfo2().hblkhd; }

void BM_Compare(benchmark::State& state) {
  const Pair& p = buffers(static_cast<std::uint32_t>(state.range(0)), static_cast<std::uint32_t>(state.range(1)));
  std::uint32_t size = static_cast<std::uint32_t>(p.a.size());
  DiffSet diffs;
  double bytesPerDiff = 0;
  for (auto _ : state) {
    diffs.clear();
    std::size_t before = heapInUse();
    compareBytes(p.a.data(), p.b.data(), size, diffs);
    bytesPerDiff = diffs.count() ? double(heapInUse() - before) / diffs.count() : 0;
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * size);
  state.counters["diffs"] = diffs.count();
  state.counters["diffs_per_s"] = benchmark::Counter(diffs.count(), benchmark::Counter::kIsIterationInvariantRate);
  state.counters["heap_bytes_per_diff"] = bytesPerDiff;
}

void BM_MemcmpBaseline(benchmark::State& state) {
  const Pair& p = buffers(static_cast<std::uint32_t>(state.range(0)), static_cast<std::uint32_t>(state.range(1)));
  std::size_t size = p.a.size();
  // memcmp stops at the first difference, so it walks the buffers in 1 MiB pieces.
  for (auto _ : state) {
    int differing = 0;
    for (std::size_t at = 0; at < size; at += 1 << 20)
      differing += std::memcmp(p.a.data() + at, p.b.data() + at, std::min<std::size_t>(1 << 20, size - at)) != 0;
    benchmark::DoNotOptimize(differing);
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(size));
  state.SetLabel("baseline: memcmp over the same buffers");
}

void BM_ByteLoopBaseline(benchmark::State& state) {
  const Pair& p = buffers(static_cast<std::uint32_t>(state.range(0)), static_cast<std::uint32_t>(state.range(1)));
  std::uint32_t size = static_cast<std::uint32_t>(p.a.size());
  std::vector<DiffEntry> out;
  for (auto _ : state) {
    out.clear();
    out.shrink_to_fit();
    for (std::uint32_t i = 0; i < size; ++i)
      if (p.a[i] != p.b[i]) out.push_back({i, p.a[i], p.b[i]});
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["diffs_per_s"] = benchmark::Counter(out.size(), benchmark::Counter::kIsIterationInvariantRate);
  state.SetLabel("baseline: byte loop into a vector");
}

// The 4M-line file: one line per 16th byte of a 64 MiB document.
const ChangeLog& bigLog() {
  static ChangeLog log;
  if (log.count() == 0)
    for (std::uint32_t i = 0; i < kLines; ++i) log.append(i * 16, static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(~i));
  return log;
}

std::string tempName() {
  static std::string name = [] {
    char path[] = "/tmp/nibblet-diff-bench-XXXXXX";
    int fd = ::mkstemp(path);
    ::close(fd);
    return std::string(path);
  }();
  return name;
}

std::size_t fileSize(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  std::fseek(f, 0, SEEK_END);
  long n = std::ftell(f);
  std::fclose(f);
  return static_cast<std::size_t>(n);
}

void BM_WriteDiffFile(benchmark::State& state) {
  const ChangeLog& log = bigLog();
  std::u16string path = fromUtf8(tempName());
  for (auto _ : state) {
    if (writeDiffFile(log, path, {"data.bin", "", false, kMiB64}) != 0) state.SkipWithError("write failed");
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(fileSize(tempName())));
}

void BM_FprintfBaseline(benchmark::State& state) {
  const ChangeLog& log = bigLog();
  std::string path = tempName() + ".fprintf";
  for (auto _ : state) {
    FILE* f = std::fopen(path.c_str(), "w");
    std::fprintf(f, ";Nibblet diff file\n;FILE: %s\n;SIZE: %d\n", "data.bin", int(kMiB64));
    for (std::uint32_t i = 0; i < log.count(); ++i) {
      const ChangeEntry& e = log.entry(i);
      std::fprintf(f, "%08X: %02X %02X\n", e.offset, e.oldValue, e.newValue);
    }
    std::fflush(f);
    ::fsync(fileno(f));
    std::fclose(f);
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(fileSize(path)));
  std::remove(path.c_str());
  state.SetLabel("baseline: fprintf per line, fsync");
}

void BM_ReadDiffFile(benchmark::State& state) {
  writeDiffFile(bigLog(), fromUtf8(tempName()), {"data.bin", "", false, kMiB64});
  std::u16string path = fromUtf8(tempName());
  std::vector<DiffLine> lines;
  for (auto _ : state) {
    lines.clear();
    if (readDiffFile(path, lines) != 0 || lines.size() != kLines) state.SkipWithError("read failed");
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(fileSize(tempName())));
}

void BM_FgetsBaseline(benchmark::State& state) {
  writeDiffFile(bigLog(), fromUtf8(tempName()), {"data.bin", "", false, kMiB64});
  std::vector<DiffLine> lines;
  for (auto _ : state) {
    lines.clear();
    FILE* f = std::fopen(tempName().c_str(), "r");
    char line[255];
    while (std::fgets(line, sizeof line, f)) {
      unsigned offset, first, second;
      if (std::sscanf(line, "%8X: %2X %2X", &offset, &first, &second) == 3)
        lines.push_back({offset, static_cast<std::uint8_t>(first), static_cast<std::uint8_t>(second)});
    }
    std::fclose(f);
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(fileSize(tempName())));
  state.SetLabel("baseline: fgets and sscanf per line");
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

BENCHMARK(BM_Compare)->Args({kGiB, 0})->Args({kMiB64, 16})->Repetitions(5)->ReportAggregatesOnly(true)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemcmpBaseline)->Args({kGiB, 0})->Repetitions(5)->ReportAggregatesOnly(true)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ByteLoopBaseline)->Args({kMiB64, 16})->Repetitions(5)->ReportAggregatesOnly(true)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteDiffFile)->Repetitions(5)->ReportAggregatesOnly(true)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FprintfBaseline)->Repetitions(5)->ReportAggregatesOnly(true)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadDiffFile)->Repetitions(5)->ReportAggregatesOnly(true)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FgetsBaseline)->Repetitions(5)->ReportAggregatesOnly(true)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Import)->Repetitions(5)->ReportAggregatesOnly(true)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StoreBytesBaseline)->Repetitions(5)->ReportAggregatesOnly(true)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  nibblet::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const std::string r = "/repeats:5/real_time", gib = "/1073741824/0" + r, every16 = "/67108864/16" + r;
  reporter.printMedianRatio("compare 2 x 1 GiB, 10 differences, speed as a share of memcmp (memcmp time / compare time)",
                            "BM_MemcmpBaseline" + gib, "BM_Compare" + gib);
  reporter.printMedianRatio("compare 64 MiB, every 16th byte differs, vs byte loop", "BM_Compare" + every16,
                            "BM_ByteLoopBaseline" + every16);
  reporter.printMedianRatio("write 4M lines vs fprintf", "BM_WriteDiffFile" + r, "BM_FprintfBaseline" + r);
  reporter.printMedianRatio("read 4M lines vs fgets+sscanf", "BM_ReadDiffFile" + r, "BM_FgetsBaseline" + r);
  reporter.printMedianRatio("import 4M lines vs storing the bytes", "BM_Import" + r, "BM_StoreBytesBaseline" + r);
  std::printf("targets: compare >= 0.8x memcmp speed; >= 50 M differences/s with <= 8 heap bytes each; "
              "diff file >= 100 MB/s both ways; import of 4M lines < 2000 ms\n");
  std::remove(tempName().c_str());
  return 0;
}
