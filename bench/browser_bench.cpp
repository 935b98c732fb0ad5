// Listing a folder of 10,000 files in the file browser (enumerate, filter, texts, sort) against
// a plain std::filesystem::directory_iterator walk of the same folder. The listing must stay
// under 300 ms.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "core/browser/file_browser_model.h"
#include "core/platform/unicode.h"
#include "core/platform/wait_cursor.h"

namespace {

constexpr int kFileCount = 10000;
constexpr double kLimitMs = 300.0;

// A folder of kFileCount small files with mixed-case names, created in an order unlike the sorted
// one, plus a few folders; removed at exit.
class BenchFolder {
 public:
  BenchFolder() {
    std::string base = std::filesystem::temp_directory_path().string() + "/nibblet-bench-XXXXXX";
    if (!::mkdtemp(base.data())) return;
    m_path = base;
    for (int i = 0; i < kFileCount; ++i) {
      int n = (i * 7919) % kFileCount;
      char name[64];
      std::snprintf(name, sizeof name, "%s%05d.%s", n % 3 ? "File" : "data", n, n % 2 ? "bin" : "TXT");
      std::ofstream(m_path + "/" + name) << std::string(static_cast<std::size_t>(n % 97), 'x');
    }
    for (int i = 0; i < 20; ++i) std::filesystem::create_directory(m_path + "/folder" + std::to_string(i));
  }
  ~BenchFolder() {
    std::error_code ec;
    if (!m_path.empty()) std::filesystem::remove_all(m_path, ec);
  }
  const std::string& path() const { return m_path; }

 private:
  std::string m_path;
};

BenchFolder& folder() {
  static BenchFolder instance;
  return instance;
}

void BM_BrowserListing(benchmark::State& state) {
  nibblet::FileBrowserOptions options;
  options.startFolder = nibblet::fromUtf8(folder().path());
  options.filter = u"*.*";
  nibblet::NullWaitCursor cursor;
  for (auto _ : state) {
    nibblet::FileBrowserModel model(options, cursor);
    benchmark::DoNotOptimize(model.entries().data());
    if (model.entries().size() != kFileCount + 20) state.SkipWithError("wrong entry count");
  }
}
BENCHMARK(BM_BrowserListing)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_DirectoryIteratorWalk(benchmark::State& state) {
  for (auto _ : state) {
    std::size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder().path())) {
      benchmark::DoNotOptimize(entry.path().filename().native().data());
      count += entry.is_directory() ? 0 : 1;
    }
    if (count != kFileCount) state.SkipWithError("wrong file count");
  }
}
BENCHMARK(BM_DirectoryIteratorWalk)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// Keeps each benchmark's mean time per iteration for the summary.
class SummaryReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (!run.error_occurred) m_ms[run.benchmark_name()] = run.GetAdjustedRealTime();
    }
  }
  double ms(const std::string& name) const {
    auto it = m_ms.find(name);
    return it == m_ms.end() ? 0.0 : it->second;
  }

 private:
  std::map<std::string, double> m_ms;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (folder().path().empty()) {
    std::fprintf(stderr, "cannot create the benchmark folder\n");
    return 1;
  }
  SummaryReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  double listing = reporter.ms("BM_BrowserListing/min_time:1.000");
  double walk = reporter.ms("BM_DirectoryIteratorWalk/min_time:1.000");
  if (listing > 0 && walk > 0) {
    std::printf("\n%d files: browser listing %.2f ms, directory_iterator walk %.2f ms, ratio %.1fx\n",
                kFileCount, listing, walk, listing / walk);
    std::printf("limit %.0f ms: %s\n", kLimitMs, listing < kLimitMs ? "met" : "MISSED");
    return listing < kLimitMs ? 0 : 1;
  }
  return 0;
}
