// The search against memchr over the same bytes (the speed of reading them) and glibc memmem,
// in alternating rounds:
// - 1 GiB of random bytes, an absent 8-byte pattern (warm: at least 0.8x memchr's speed);
// - 256 MiB of zeros, 00 00 00 00 00 00 00 01 (at least 0.5x memchr);
// - 256 MiB of 00 01 repeated, patterns of the same bytes that end or start differently, and
//   random bytes of only two values with a 40-byte pattern (at most 4x memchr's time, and never
//   slower than memmem on any input);
// - a freshly mapped 1 GiB file, as the first search after opening it meets it, against memchr
//   over a fresh mapping of the same file and against memchr over memory already read.
// A plain byte-by-byte scan is shown for the random bytes. ROUNDS (default 5) sets the rounds.

#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "alternating.h"
#include "core/platform/mapped_file.h"
#include "core/platform/unicode.h"
#include "core/view/find_bytes.h"
#include "core/view/find_in_pieces.h"

namespace {

using namespace nibblet;
using nibblet::bench::Alternating;

constexpr std::size_t kLarge = std::size_t{1} << 30;
constexpr std::size_t kSmall = std::size_t{256} << 20;

// Random bytes below 0xFF, so memchr for 0xFF and the pattern below both read to the end.
std::vector<std::uint8_t> randomBytes(std::size_t size, unsigned alphabet) {
  std::vector<std::uint8_t> b(size);
  std::uint64_t x = 88172645463325252ull;
  for (std::size_t i = 0; i < size; i += 8) {
    x ^= x << 13;
    x ^= x >> 7;
    x ^= x << 17;
    std::uint64_t v = x;
    for (int j = 0; j < 8; ++j, v >>= 8) b[i + j] = static_cast<std::uint8_t>(v % alphabet);
  }
  return b;
}

const std::uint8_t* plainScan(const std::uint8_t* start, std::size_t n, const std::uint8_t* pattern, std::size_t m) {
  for (std::size_t i = 0; i + m <= n; ++i) {
    std::size_t j = 0;
    while (j < m && start[i + j] == pattern[j]) ++j;
    if (j == m) return start + i;
  }
  return nullptr;
}

volatile std::uintptr_t g_sink;
void keep(const void* p) { g_sink = reinterpret_cast<std::uintptr_t>(p); }

// memchr, findBytes and memmem over one buffer, for one pattern; the first is the baseline.
void addTrio(Alternating& a, const std::vector<std::uint8_t>& b, const std::vector<std::uint8_t>& pattern,
             std::uint8_t absentByte) {
  if (findBytes(b.data(), b.size(), pattern.data(), pattern.size()) !=
      ::memmem(b.data(), b.size(), pattern.data(), pattern.size()))
    std::printf("WRONG HIT\n");
  a.addTimed("memchr", [&b, absentByte] { keep(std::memchr(b.data(), absentByte, b.size())); });
  a.addTimed("findBytes", [&b, &pattern] { keep(findBytes(b.data(), b.size(), pattern.data(), pattern.size())); });
  a.addTimed("memmem", [&b, &pattern] { keep(::memmem(b.data(), b.size(), pattern.data(), pattern.size())); });
}

int rounds() {
  const char* r = std::getenv("ROUNDS");
  return r && std::atoi(r) > 0 ? std::atoi(r) : 5;
}

bool warmCases() {
  bool met = true;
  {
    std::vector<std::uint8_t> b = randomBytes(kLarge, 255);
    std::vector<std::uint8_t> absent = {0x3A, 0x91, 0x07, 0xC4, 0x5E, 0x12, 0xEE, 0x80};
    Alternating a;
    addTrio(a, b, absent, 0xFF);
    a.addTimed("plain scan", [&] { keep(plainScan(b.data(), b.size(), absent.data(), absent.size())); });
    a.run(rounds());
    a.print("1 GiB random bytes, absent 8 bytes");
    met &= bench::speedLimit("random, findBytes vs memchr", a["findBytes"], a["memchr"], 0.8);
    met &= bench::ratioLimit("random, findBytes vs memmem", a["findBytes"], a["memmem"], 1.0);
  }
  {
    std::vector<std::uint8_t> b(kSmall, 0);
    std::vector<std::uint8_t> run = {0, 0, 0, 0, 0, 0, 0, 1};
    Alternating a;
    addTrio(a, b, run, 1);
    a.run(rounds());
    a.print("256 MiB of zeros, 00 x7 01");
    met &= bench::speedLimit("zeros, findBytes vs memchr", a["findBytes"], a["memchr"], 0.5);
    met &= bench::ratioLimit("zeros, findBytes vs memmem", a["findBytes"], a["memmem"], 1.0);
  }
  return met;
}

bool adversarialCases() {
  bool met = true;
  std::vector<std::uint8_t> b(kSmall);
  for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<std::uint8_t>(i & 1);
  struct Case {
    const char* name;
    std::vector<std::uint8_t> pattern;
  };
  auto alternating = [](std::size_t m, std::size_t changed, std::uint8_t value) {
    std::vector<std::uint8_t> p(m);
    for (std::size_t j = 0; j < m; ++j) p[j] = static_cast<std::uint8_t>(j & 1);
    p[changed] = value;
    return p;
  };
  const Case cases[] = {
      {"00 01 x3 00 00", alternating(8, 7, 0)},
      {"00 01 x3 00 02", alternating(8, 7, 2)},
      {"00 01 x3 01 01", alternating(8, 6, 1)},
      {"01 01 00 01 x2 ...", alternating(8, 0, 1)},
      {"(00 01) x32 ending 00 00", alternating(64, 63, 0)},
      {"(00 01) x128 ending 00 00", alternating(256, 255, 0)},
  };
  for (const Case& c : cases) {
    Alternating a;
    addTrio(a, b, c.pattern, 2);
    a.run(rounds());
    std::string title = std::string("256 MiB of 00 01 repeated, pattern ") + c.name;
    a.print(title.c_str());
    met &= bench::ratioLimit("adversarial, findBytes vs memchr", a["findBytes"], a["memchr"], 4.0);
    met &= bench::ratioLimit("adversarial, findBytes vs memmem", a["findBytes"], a["memmem"], 1.0);
  }
  {
    std::vector<std::uint8_t> binary = randomBytes(kSmall, 2);
    std::vector<std::uint8_t> pattern(40);
    for (std::size_t j = 0; j < pattern.size(); ++j) pattern[j] = static_cast<std::uint8_t>((j * 7 / 3) & 1);
    Alternating a;
    addTrio(a, binary, pattern, 2);
    a.run(rounds());
    a.print("256 MiB of random 00/01 bytes, a 40-byte pattern of them");
    met &= bench::ratioLimit("two-valued, findBytes vs memmem", a["findBytes"], a["memmem"], 1.0);
  }
  return met;
}

// A 1 GiB file in the page cache, searched the way the first search after an open meets it: a
// fresh mapping, no page of it touched yet.
bool freshMapping() {
  char name[] = "/tmp/nibblet-search-bench-XXXXXX";
  int fd = ::mkstemp(name);
  std::vector<std::uint8_t> block = randomBytes(1 << 20, 255);
  for (std::size_t done = 0; done < kLarge; done += block.size())
    if (::write(fd, block.data(), block.size()) < 0) break;
  ::close(fd);
  const std::uint8_t absent[] = {0x3A, 0x91, 0x07, 0xC4, 0x5E, 0x12, 0xEE, 0x80};
  std::vector<std::uint8_t> warm = randomBytes(kLarge, 255);
  Alternating a;
  a.addTimed("memchr, memory already read", [&] { keep(std::memchr(warm.data(), 0xFF, warm.size())); });
  a.add("memchr, fresh mapping", [&] {
    int f = ::open(name, O_RDONLY);
    void* p = ::mmap(nullptr, kLarge, PROT_READ, MAP_SHARED, f, 0);
    double s = bench::timeOnce([&] { keep(std::memchr(p, 0xFF, kLarge)); });
    ::munmap(p, kLarge);
    ::close(f);
    return s;
  });
  a.add("search, fresh mapping", [&] {
    MappedFile file;
    file.open(fromUtf8(name), Access::ReadOnly);
    const std::uint8_t* hit = nullptr;
    double s = bench::timeOnce([&] { findBytesInPieces(file.bytes(), file.size(), absent, sizeof absent, {}, hit); });
    if (hit) std::printf("WRONG HIT\n");
    return s;
  });
  a.run(rounds());
  a.print("1 GiB file in the page cache, absent 8 bytes");
  bench::show("fresh mapping, search vs memchr over a fresh mapping", a["search, fresh mapping"],
              a["memchr, fresh mapping"]);
  bench::show("fresh mapping, search vs memchr over memory already read", a["search, fresh mapping"],
              a["memchr, memory already read"]);
  std::remove(name);
  return true;
}

}  // namespace

int main() {
  std::printf("search benchmark, every measurement a median of alternating rounds\n");
  bool met = warmCases();
  met &= adversarialCases();
  met &= freshMapping();
  std::printf("\n%s\n", met ? "all limits met" : "some limits MISSED");
  return 0;
}
