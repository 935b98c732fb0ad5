// findBytes over 1 GiB against memchr over the same buffer (the speed of reading it), glibc
// memmem and a plain byte-by-byte scan: an absent 8-byte pattern in random bytes, and
// 00 00 00 00 00 00 00 01 in a zero-filled buffer. Each runs five times; medians are compared.

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "bench_ratio.h"
#include "core/view/find_bytes.h"

namespace {

using nibblet::findBytes;

constexpr std::size_t kSize = std::size_t{1} << 30;

// Random bytes below 0xFF, so memchr for 0xFF and the pattern below both read to the end.
const std::vector<std::uint8_t>& randomBytes() {
  static std::vector<std::uint8_t> bytes = [] {
    std::vector<std::uint8_t> b(kSize);
    std::uint64_t x = 88172645463325252ull;
    for (std::size_t i = 0; i < kSize; i += 8) {
      x ^= x << 13;
      x ^= x >> 7;
      x ^= x << 17;
      std::uint64_t v = x;
      for (int j = 0; j < 8; ++j, v >>= 8) b[i + j] = static_cast<std::uint8_t>(v % 255);
    }
    return b;
  }();
  return bytes;
}

const std::vector<std::uint8_t>& zeroBytes() {
  static std::vector<std::uint8_t> bytes(kSize, 0);
  return bytes;
}

// Absent from the random buffer with near certainty; checked once below.
constexpr std::uint8_t kAbsent[8] = {0x3A, 0x91, 0x07, 0xC4, 0x5E, 0x12, 0xEE, 0x80};
constexpr std::uint8_t kZeroRunOne[8] = {0, 0, 0, 0, 0, 0, 0, 1};

const std::uint8_t* plainScan(const std::uint8_t* start, std::size_t n, const std::uint8_t* pattern, std::size_t m) {
  for (std::size_t i = 0; i + m <= n; ++i) {
    std::size_t j = 0;
    while (j < m && start[i + j] == pattern[j]) ++j;
    if (j == m) return start + i;
  }
  return nullptr;
}

void setBytes(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(kSize));
}

void BM_MemchrRandom(benchmark::State& state) {
  const auto& b = randomBytes();
  for (auto _ : state) benchmark::DoNotOptimize(std::memchr(b.data(), 0xFF, b.size()));
  setBytes(state);
}
void BM_FindBytesRandom(benchmark::State& state) {
  const auto& b = randomBytes();
  for (auto _ : state) {
    const std::uint8_t* hit = findBytes(b.data(), b.size(), kAbsent, 8);
    if (hit) state.SkipWithError("the pattern is in the buffer");
    benchmark::DoNotOptimize(hit);
  }
  setBytes(state);
}
void BM_MemmemRandom(benchmark::State& state) {
  const auto& b = randomBytes();
  for (auto _ : state) benchmark::DoNotOptimize(::memmem(b.data(), b.size(), kAbsent, 8));
  setBytes(state);
}
void BM_PlainScanRandom(benchmark::State& state) {
  const auto& b = randomBytes();
  for (auto _ : state) benchmark::DoNotOptimize(plainScan(b.data(), b.size(), kAbsent, 8));
  setBytes(state);
}

void BM_MemchrZeros(benchmark::State& state) {
  const auto& b = zeroBytes();
  for (auto _ : state) benchmark::DoNotOptimize(std::memchr(b.data(), 0x01, b.size()));
  setBytes(state);
}
void BM_FindBytesZeros(benchmark::State& state) {
  const auto& b = zeroBytes();
  for (auto _ : state) benchmark::DoNotOptimize(findBytes(b.data(), b.size(), kZeroRunOne, 8));
  setBytes(state);
}
void BM_MemmemZeros(benchmark::State& state) {
  const auto& b = zeroBytes();
  for (auto _ : state) benchmark::DoNotOptimize(::memmem(b.data(), b.size(), kZeroRunOne, 8));
  setBytes(state);
}
void BM_PlainScanZeros(benchmark::State& state) {
  const auto& b = zeroBytes();
  for (auto _ : state) benchmark::DoNotOptimize(plainScan(b.data(), b.size(), kZeroRunOne, 8));
  setBytes(state);
}

// The slow scans get one iteration per repetition; the fast ones a few.
#define NIBBLET_SEARCH_BENCH(name, iterations) \
  BENCHMARK(name)->Unit(benchmark::kMillisecond)->Iterations(iterations)->Repetitions(5)->ReportAggregatesOnly(true)

NIBBLET_SEARCH_BENCH(BM_MemchrRandom, 5);
NIBBLET_SEARCH_BENCH(BM_FindBytesRandom, 5);
NIBBLET_SEARCH_BENCH(BM_MemmemRandom, 2);
NIBBLET_SEARCH_BENCH(BM_PlainScanRandom, 1);
NIBBLET_SEARCH_BENCH(BM_MemchrZeros, 5);
NIBBLET_SEARCH_BENCH(BM_FindBytesZeros, 5);
NIBBLET_SEARCH_BENCH(BM_MemmemZeros, 1);
NIBBLET_SEARCH_BENCH(BM_PlainScanZeros, 1);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  randomBytes();
  zeroBytes();
  nibblet::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nAgainst memchr over the same buffer (speed 1.00x = as fast as memchr):\n");
  reporter.printMedianRatio("random, absent 8 bytes: findBytes", "BM_FindBytesRandom", "BM_MemchrRandom");
  reporter.printMedianRatio("random, absent 8 bytes: memmem", "BM_MemmemRandom", "BM_MemchrRandom");
  reporter.printMedianRatio("random, absent 8 bytes: plain scan", "BM_PlainScanRandom", "BM_MemchrRandom");
  reporter.printMedianRatio("zeros, 00x7 01: findBytes", "BM_FindBytesZeros", "BM_MemchrZeros");
  reporter.printMedianRatio("zeros, 00x7 01: memmem", "BM_MemmemZeros", "BM_MemchrZeros");
  reporter.printMedianRatio("zeros, 00x7 01: plain scan", "BM_PlainScanZeros", "BM_MemchrZeros");
  benchmark::Shutdown();
  return 0;
}
