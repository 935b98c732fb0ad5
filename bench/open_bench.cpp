// Opening a document on the spot maps the file instead of reading it, so its cost must not
// grow with the file. Measured against reading the whole file with read() in the same run.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/document/hex_document.h"
#include "core/platform/unicode.h"
#include "bench_ratio.h"

namespace {

using namespace nibblet;

// A file of `size` bytes in the temporary folder, made once per size and removed at exit.
const std::string& testFile(std::int64_t size) {
  static std::vector<std::pair<std::int64_t, std::string>> files;
  for (auto& f : files)
    if (f.first == size) return f.second;
  char name[] = "/tmp/nibblet-open-bench-XXXXXX";
  int fd = ::mkstemp(name);
  std::vector<char> block(1 << 20);
  for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>(i * 131 + 7);
  for (std::int64_t done = 0; done < size; done += static_cast<std::int64_t>(block.size()))
    if (::write(fd, block.data(), block.size()) < 0) break;
  ::close(fd);
  files.emplace_back(size, name);
  static struct Cleanup {
    ~Cleanup() {
      for (auto& f : files) std::remove(f.second.c_str());
    }
  } cleanup;
  return files.back().second;
}

void BM_OpenOnTheSpot(benchmark::State& state) {
  const std::string& path = testFile(state.range(0));
  Settings settings = Settings::defaults(u"/tmp");
  MemoryRegistryKey key;
  RecentFiles recent;
  Texts texts;
  ScriptedMessageBox messages;
  NullWaitCursor cursor;
  NoDocumentWindow window;
  HexDocument document(DocumentServices{settings, key, recent, texts, messages, cursor, 1}, window);
  std::uint64_t sum = 0;
  for (auto _ : state) {
    document.setPath(fromUtf8(path));
    document.openDocument();
    // The first and last bytes are available at once.
    sum += document.bytes()[0] + document.bytes()[document.size() - 1];
    state.PauseTiming();
    document.close();
    state.ResumeTiming();
  }
  benchmark::DoNotOptimize(sum);
  state.SetLabel("open to mapped bytes");
}

void BM_ReadWholeFile(benchmark::State& state) {
  const std::string& path = testFile(state.range(0));
  std::vector<char> buffer(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    int fd = ::open(path.c_str(), O_RDONLY);
    std::size_t done = 0;
    while (done < buffer.size()) {
      ssize_t n = ::read(fd, buffer.data() + done, buffer.size() - done);
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    benchmark::DoNotOptimize(buffer.data());
  }
  state.SetLabel("baseline: read() of the whole file");
}

BENCHMARK(BM_OpenOnTheSpot)->Arg(16 << 20)->Arg(1 << 30)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadWholeFile)->Arg(16 << 20)->Arg(1 << 30)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  nibblet::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.printRatio("open 1 GiB vs read 1 GiB", "BM_OpenOnTheSpot/1073741824", "BM_ReadWholeFile/1073741824");
  reporter.printRatio("open 1 GiB vs open 16 MiB", "BM_OpenOnTheSpot/1073741824", "BM_OpenOnTheSpot/16777216");
  std::printf("target: open under 10 ms for 1 GiB, independent of size\n");
  return 0;
}
