// The comparison of two files, in alternating rounds against baselines doing the same work:
// - 2 x 1 GiB with ten differences, against memcmp over the same buffers (at least 0.8x its
//   speed);
// - 2 x 64 MiB where every 16th byte differs (4,194,304 differences), from an empty set, against
//   a byte loop growing a std::vector from empty: at least 50 M differences per second, and at
//   most 8 bytes of the set's storage per difference after the comparison (the growth of the
//   process's resident memory is shown beside it).
// ROUNDS (default 7) sets the rounds.

#include <stdlib.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "alternating.h"
#include "core/diff/compare.h"

namespace {

using namespace nibblet;

struct Pair {
  std::vector<std::uint8_t> a, b;
};

// Two buffers of `size` bytes; `every` > 0 makes every every-th byte differ, else ten bytes do.
Pair buffers(std::uint32_t size, std::uint32_t every) {
  Pair p;
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

volatile int g_sink;

// memcmp stops at the first difference, so it walks the buffers in 1 MiB pieces.
void memcmpPieces(const Pair& p) {
  int differing = 0;
  for (std::size_t at = 0; at < p.a.size(); at += 1 << 20)
    differing += std::memcmp(p.a.data() + at, p.b.data() + at, std::min<std::size_t>(1 << 20, p.a.size() - at)) != 0;
  g_sink = differing;
}

long residentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  return 0;
}

int rounds() {
  const char* r = std::getenv("ROUNDS");
  return r && std::atoi(r) > 0 ? std::atoi(r) : 7;
}

}  // namespace

int main() {
  std::printf("compare benchmark, every measurement a median of alternating rounds\n");
  bool met = true;
  {
    Pair p = buffers(1u << 30, 0);
    DiffSet diffs;
    bench::Alternating a;
    a.addTimed("memcmp", [&] { memcmpPieces(p); });
    a.add("compare", [&] {
      diffs.clear();
      AppendResult stored;
      return bench::timeOnce([&] { compareBytes(p.a.data(), p.b.data(), 1u << 30, diffs, stored); });
    });
    a.run(rounds());
    a.print("2 x 1 GiB, ten differences");
    if (diffs.count() != 10) std::printf("WRONG COUNT %u\n", diffs.count());
    met &= bench::speedLimit("few differences, compare vs memcmp", a["compare"], a["memcmp"], 0.8);
  }
  {
    const std::uint32_t size = 64u << 20;
    Pair p = buffers(size, 16);
    DiffSet diffs;
    std::vector<DiffEntry> vector;
    bench::Alternating a;
    a.add("byte loop into a vector grown from empty", [&] {
      std::vector<DiffEntry>().swap(vector);
      return bench::timeOnce([&] {
        for (std::uint32_t i = 0; i < size; ++i)
          if (p.a[i] != p.b[i]) vector.push_back({i, p.a[i], p.b[i]});
      });
    });
    a.add("compare", [&] {
      diffs.clear();
      AppendResult stored;
      return bench::timeOnce([&] { compareBytes(p.a.data(), p.b.data(), size, diffs, stored); });
    });
    a.run(rounds());
    a.print("2 x 64 MiB, every 16th byte differs");
    const double count = diffs.count();
    if (diffs.count() != size / 16 || vector.size() != size / 16) std::printf("WRONG COUNT %u\n", diffs.count());
    bench::show("many differences, compare vs the byte loop", a["compare"], a["byte loop into a vector grown from empty"]);
    std::printf("      byte loop into a vector: %.1f M differences/s\n",
                count / a["byte loop into a vector grown from empty"].median() / 1e6);
    met &= bench::limit("differences per second (M)", count / a["compare"].median() / 1e6, false, 50, "");

    // Memory: the set's own storage, and what the process holds more after a comparison into
    // an empty set than before it.
    std::vector<DiffEntry>().swap(vector);
    diffs.clear();
    long before = residentKiB();
    AppendResult stored;
    compareBytes(p.a.data(), p.b.data(), size, diffs, stored);
    long after = residentKiB();
    met &= bench::limit("bytes of storage per difference", double(diffs.storageBytes()) / count, true, 8, "");
    std::printf("      resident memory grew by %.3f bytes per difference (the entries, the last page and the\n"
                "      comparison's own buffers)\n",
                double(after - before) * 1024 / count);
  }
  std::printf("\n%s\n", met ? "all limits met" : "some limits MISSED");
  return 0;
}
