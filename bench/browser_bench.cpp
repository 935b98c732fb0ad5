// Listing a folder of 10,000 files in the file browser (enumerate, stat, filter, texts, sort)
// against an `ls -l` done in the same process: readdir, stat of every entry, a size and a date
// text for each, and a sort by name ignoring case, which is the same work. A plain
// directory_iterator walk without stat is shown too, as the lower bound no listing can beat.
// Each is the median of repeated runs, with its spread. The listing must stay under 300 ms.

#include <benchmark/benchmark.h>
#include <dirent.h>
#include <stdlib.h>
#include <strings.h>
#include <sys/stat.h>

#include <algorithm>
#include <ctime>
#include <vector>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "bench_ratio.h"
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
BENCHMARK(BM_BrowserListing)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

// What `ls -l` does for the same folder: every entry stat'ed, its size and date written out,
// hidden names left out, the rest sorted by name ignoring case.
void BM_LsLongBaseline(benchmark::State& state) {
  struct Line {
    std::string name;
    std::string size;
    std::string date;
  };
  for (auto _ : state) {
    std::vector<Line> lines;
    DIR* dir = ::opendir(folder().path().c_str());
    if (!dir) {
      state.SkipWithError("cannot list");
      break;
    }
    std::string base = folder().path() + "/";
    while (dirent* e = ::readdir(dir)) {
      if (e->d_name[0] == '.') continue;
      struct stat st;
      if (::stat((base + e->d_name).c_str(), &st) != 0) continue;
      char size[32], date[32];
      std::snprintf(size, sizeof size, "%lld", static_cast<long long>(st.st_size));
      struct tm local;
      ::localtime_r(&st.st_mtime, &local);
      std::strftime(date, sizeof date, "%Y-%m-%d %H:%M:%S", &local);
      lines.push_back({e->d_name, size, date});
    }
    ::closedir(dir);
    std::sort(lines.begin(), lines.end(),
              [](const Line& a, const Line& b) { return ::strcasecmp(a.name.c_str(), b.name.c_str()) < 0; });
    benchmark::DoNotOptimize(lines.data());
    if (lines.size() != kFileCount + 20) state.SkipWithError("wrong entry count");
  }
}
BENCHMARK(BM_LsLongBaseline)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

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
BENCHMARK(BM_DirectoryIteratorWalk)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (folder().path().empty()) {
    std::fprintf(stderr, "cannot create the benchmark folder\n");
    return 1;
  }
  nibblet::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const std::string r = "/repeats:9";
  double listing = reporter.time("BM_BrowserListing" + r + "_median");
  std::printf("\n%d files:\n", kFileCount);
  reporter.printMedianRatio("browser listing vs ls -l in process (stat, texts, sort)", "BM_BrowserListing" + r,
                            "BM_LsLongBaseline" + r);
  reporter.printMedianRatio("browser listing vs directory_iterator without stat (lower bound)",
                            "BM_BrowserListing" + r, "BM_DirectoryIteratorWalk" + r);
  if (listing > 0) {
    std::printf("browser listing median %.2f ms; limit %.0f ms: %s\n", listing, kLimitMs,
                listing < kLimitMs ? "met" : "MISSED");
    return listing < kLimitMs ? 0 : 1;
  }
  return 0;
}
