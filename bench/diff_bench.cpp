// Comparing two files, writing and reading difference files, and importing one into the change
// log, each against a plain baseline doing the same work in the same run: memcmp over the same
// buffers, a byte loop filling a vector, fprintf per line, fgets and sscanf per line, and for
// the import the same reading, checking, storing and journaling in plain C.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_document.h"
#include "bench_ratio.h"
#include "core/diff/compare.h"
#include "core/diff/diff_file.h"
#include "core/diff/diff_import.h"
#include "core/diff/diff_commands.h"
#include "core/document/change_log.h"
#include "core/document/hex_document.h"
#include "core/platform/code_page.h"
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

// The plain C reading of a difference file: fgets and sscanf per line.
void readWithFgets(const std::string& path, std::vector<DiffLine>& lines) {
  FILE* f = std::fopen(path.c_str(), "r");
  char line[255];
  while (std::fgets(line, sizeof line, f)) {
    unsigned offset, first, second;
    if (std::sscanf(line, "%8X: %2X %2X", &offset, &first, &second) == 3)
      lines.push_back({offset, static_cast<std::uint8_t>(first), static_cast<std::uint8_t>(second)});
  }
  std::fclose(f);
}

void BM_FgetsBaseline(benchmark::State& state) {
  writeDiffFile(bigLog(), fromUtf8(tempName()), {"data.bin", "", false, kMiB64});
  std::vector<DiffLine> lines;
  for (auto _ : state) {
    lines.clear();
    readWithFgets(tempName(), lines);
  }
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(fileSize(tempName())));
  state.SetLabel("baseline: fgets and sscanf per line");
}

// The document the 4M lines apply to: it holds every line's first value.
std::vector<std::uint8_t> importDocument() {
  std::vector<std::uint8_t> doc(kMiB64, 0);
  const ChangeLog& log = bigLog();
  for (std::uint32_t i = 0; i < log.count(); ++i) doc[log.entry(i).offset] = log.entry(i).oldValue;
  return doc;
}

// Import diff as the program runs it: a document open on the spot over a 64 MiB file, with
// its crash journal in a work folder, and the File > Import diff command reading the 4M-line
// file, checking every line, asking (answered Yes), and writing each byte as a journaled edit.
struct ImportSetup : bench::BenchDocument, DiffWindow {
  std::string folder;
  Utf8CodePage codePage;
  std::u16string lastFolder;
  DiffCommands commands{document, DiffServices{texts, messages, cursor, codePage, lastFolder}, *this};
  std::u16string diffFile, documentFile;

  ImportSetup() {
    char name[] = "/var/tmp/nibblet-import-bench-XXXXXX";
    folder = ::mkdtemp(name);
    documentFile = fromUtf8(folder + "/data.bin");
    diffFile = fromUtf8(folder + "/changes.txt");
    std::vector<std::uint8_t> doc = importDocument();
    int fd = ::open(toUtf8(documentFile).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, doc.data(), doc.size()) != static_cast<ssize_t>(doc.size())) std::abort();
    ::close(fd);
    writeDiffFile(bigLog(), diffFile, {"data.bin", "", false, kMiB64});
    setText(settings.workPath, fromUtf8(folder + "/work"));
    settings.openMode = 0;
  }
  ~ImportSetup() {
    document.abandon();
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
  }
  void open() {
    document.setPath(documentFile);
    if (!document.openDocument()) std::abort();
  }
  // Closes, answering No to keeping the changes: the file gets its bytes back.
  void close() {
    messages.clear();
    messages.answer(kButtonNo);
    document.close();
  }
  int browse(const FileBrowserOptions&, std::u16string& path) override {
    path = diffFile;
    return kBrowseOk;
  }
  bool hasView() const override { return true; }
  void gotoOffset(std::uint32_t) override {}
  void rebuildText() override {}
};

ImportSetup& importSetup() {
  static ImportSetup setup;
  return setup;
}

void BM_ImportThroughTheDocument(benchmark::State& state) {
  ImportSetup& setup = importSetup();
  for (auto _ : state) {
    state.PauseTiming();
    setup.open();
    setup.messages.clear();
    setup.messages.answer(kButtonYes);  // the preview
    state.ResumeTiming();
    setup.commands.importDiff();
    state.PauseTiming();
    if (setup.document.changeLog().count() != kLines) state.SkipWithError("the import did not apply");
    setup.close();
    state.ResumeTiming();
  }
  state.counters["lines"] = kLines;
}

// The same work in plain C: fgets and sscanf per line, every line checked against the
// document, then each byte written with an 8-byte journal record in 1 MiB pieces.
void BM_ImportBaseline(benchmark::State& state) {
  ImportSetup& setup = importSetup();
  std::string journalPath = setup.folder + "/baseline.jnl";
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<std::uint8_t> doc = importDocument();
    state.ResumeTiming();
    std::vector<DiffLine> lines;
    readWithFgets(toUtf8(setup.diffFile), lines);
    bool fits = true;
    for (const DiffLine& l : lines) fits &= l.offset < doc.size() && doc[l.offset] == l.firstValue;
    FILE* journal = std::fopen(journalPath.c_str(), "w");
    std::setvbuf(journal, nullptr, _IOFBF, 1 << 20);
    for (const DiffLine& l : lines) {
      std::uint8_t record[8] = {static_cast<std::uint8_t>(l.offset), static_cast<std::uint8_t>(l.offset >> 8),
                                static_cast<std::uint8_t>(l.offset >> 16), static_cast<std::uint8_t>(l.offset >> 24),
                                doc[l.offset], l.secondValue, 'E', 0};
      std::fwrite(record, 1, sizeof record, journal);
      if (fits) doc[l.offset] = l.secondValue;
    }
    std::fclose(journal);
    benchmark::DoNotOptimize(doc.data());
  }
  std::remove(journalPath.c_str());
  state.SetLabel("baseline: fgets, sscanf, check, store, fwrite records");
}

BENCHMARK(BM_Compare)->Args({kGiB, 0})->Args({kMiB64, 16})->Repetitions(5)->ReportAggregatesOnly(true)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemcmpBaseline)->Args({kGiB, 0})->Repetitions(5)->ReportAggregatesOnly(true)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ByteLoopBaseline)->Args({kMiB64, 16})->Repetitions(5)->ReportAggregatesOnly(true)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteDiffFile)->Repetitions(5)->ReportAggregatesOnly(true)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FprintfBaseline)->Repetitions(5)->ReportAggregatesOnly(true)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadDiffFile)->Repetitions(5)->ReportAggregatesOnly(true)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FgetsBaseline)->Repetitions(5)->ReportAggregatesOnly(true)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportThroughTheDocument)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportBaseline)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true)->UseRealTime()->Unit(benchmark::kMillisecond);

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
  const std::string once = "/iterations:1/repeats:5/real_time";
  reporter.printMedianRatio("import 4M lines through the document and its crash journal, end to end, vs plain C",
                            "BM_ImportThroughTheDocument" + once, "BM_ImportBaseline" + once);
  double importMs = reporter.aggregate("BM_ImportThroughTheDocument" + once, "_median");
  std::printf("import of 4M lines, end to end: median %.0f ms, limit 2000 ms: %s\n", importMs,
              importMs > 0 && importMs < 2000 ? "met" : "MISSED");
  std::printf("targets: compare >= 0.8x memcmp speed; >= 50 M differences/s with <= 8 heap bytes each; "
              "diff file >= 100 MB/s both ways; import of 4M lines < 2000 ms\n");
  std::remove(tempName().c_str());
  return 0;
}
