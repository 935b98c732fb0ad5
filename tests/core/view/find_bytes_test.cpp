#include "core/view/find_bytes.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <random>
#include <vector>

namespace nibblet {
namespace {

// The definition of a hit: the plain left-to-right scan.
const std::uint8_t* plainScan(const std::uint8_t* start, std::size_t n, const std::uint8_t* pattern,
                              std::size_t m) {
  if (m == 0) return start;
  for (std::size_t i = 0; i + m <= n; ++i)
    if (std::memcmp(start + i, pattern, m) == 0) return start + i;
  return nullptr;
}

TEST(FindBytes, EdgesOfTheRangeAndThePattern) {
  const std::uint8_t data[] = {1, 2, 3, 4, 5, 3, 4};
  const std::uint8_t p34[] = {3, 4}, p45[] = {4, 5}, p1234567[] = {1, 2, 3, 4, 5, 3, 4, 9};
  EXPECT_EQ(findBytes(data, 7, p34, 0), data);  // an empty pattern matches at the start
  EXPECT_EQ(findBytes(data, 0, p34, 0), data);
  EXPECT_EQ(findBytes(data, 7, p34, 2), data + 2);  // the first of two hits
  EXPECT_EQ(findBytes(data + 3, 4, p34, 2), data + 5);  // a pattern ending at the last byte
  EXPECT_EQ(findBytes(data + 3, 3, p34, 2), nullptr);   // one byte short
  EXPECT_EQ(findBytes(data, 7, p45, 2), data + 3);
  EXPECT_EQ(findBytes(data, 7, p1234567, 8), nullptr);  // longer than the range
  EXPECT_EQ(findBytes(data, 7, p1234567, 7), data);  // the whole range
  EXPECT_EQ(findBytes(data + 1, 6, p1234567, 6), nullptr);
  EXPECT_EQ(findBytes(data, 1, p34, 1), nullptr);
  EXPECT_EQ(findBytes(data, 3, p34, 1), data + 2);
}

// Random buffers and patterns: short alphabets make near misses and overlapping hits common;
// patterns are cut from the buffer (often at its very end) or made up.
TEST(FindBytes, AgreesWithThePlainScanOnRandomBuffers) {
  std::mt19937 random(20261209);
  const std::size_t lengths[] = {0, 1, 2, 3, 8, 15, 16, 17, 31, 32, 33, 63, 64, 65, 127, 255, 1026};
  for (int round = 0; round < 3000; ++round) {
    std::size_t n = random() % (round % 10 == 0 ? 5000 : 300);
    unsigned alphabet = 1 + random() % (round % 3 == 0 ? 2 : 256);
    std::vector<std::uint8_t> buffer(n);
    for (auto& b : buffer) b = static_cast<std::uint8_t>(random() % alphabet);
    std::size_t m = lengths[random() % std::size(lengths)];
    if (random() % 4 == 0) m = random() % 12;
    std::vector<std::uint8_t> pattern(m);
    switch (random() % 4) {
      case 0:  // from the end of the buffer
        if (m <= n) std::copy(buffer.end() - static_cast<std::ptrdiff_t>(m), buffer.end(), pattern.begin());
        break;
      case 1:  // from anywhere in it
        if (m <= n) {
          std::size_t at = random() % (n - m + 1);
          std::copy(buffer.begin() + static_cast<std::ptrdiff_t>(at),
                    buffer.begin() + static_cast<std::ptrdiff_t>(at + m), pattern.begin());
        }
        break;
      default:
        for (auto& b : pattern) b = static_cast<std::uint8_t>(random() % alphabet);
    }
    if (m > 0 && random() % 3 == 0) pattern[m - 1] ^= 1;  // a near miss in the last byte
    std::size_t from = n == 0 ? 0 : random() % (n + 1);
    const std::uint8_t* start = buffer.data() + from;
    std::size_t length = n - from;
    ASSERT_EQ(findBytes(start, length, pattern.data(), m), plainScan(start, length, pattern.data(), m))
        << "round " << round << " n " << length << " m " << m;
  }
}

// A range that ends at the last byte of a page followed by an inaccessible page: the scan must
// find hits there and never read past the end.
TEST(FindBytes, ReadsNothingPastTheEndOfTheRange) {
  const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  void* area = ::mmap(nullptr, 3 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(area, MAP_FAILED);
  auto* base = static_cast<std::uint8_t*>(area);
  ASSERT_EQ(::mprotect(base + 2 * page, page, PROT_NONE), 0);
  std::uint8_t* end = base + 2 * page;
  std::memset(base, 0xAA, 2 * page);
  std::vector<std::uint8_t> pattern(1026, 0xAA);
  pattern.back() = 0x01;
  for (std::size_t m : {2u, 8u, 33u, 64u, 255u, 1026u}) {
    std::vector<std::uint8_t> p(pattern.end() - static_cast<std::ptrdiff_t>(m), pattern.end());
    EXPECT_EQ(findBytes(base, 2 * page, p.data(), m), nullptr) << m;
    end[-1] = 0x01;  // now the pattern ends at the last readable byte
    EXPECT_EQ(findBytes(base, 2 * page, p.data(), m), end - m) << m;
    EXPECT_EQ(findBytes(end - m, m, p.data(), m), end - m) << m;
    EXPECT_EQ(findBytes(end - m + 1, m - 1, p.data(), m), nullptr) << m;
    // Starting just across the first page boundary.
    EXPECT_EQ(findBytes(base + page - 1, page + 1, p.data(), m), end - m) << m;
    end[-1] = 0xAA;
  }
  ::munmap(area, 3 * page);
}

TEST(FindBytes, ZeroFilledBufferAndPatternOfARun) {
  std::vector<std::uint8_t> zeros(100000, 0);
  const std::uint8_t needle[] = {0, 0, 0, 0, 0, 0, 0, 1};
  EXPECT_EQ(findBytes(zeros.data(), zeros.size(), needle, 8), nullptr);
  zeros[77777] = 1;
  EXPECT_EQ(findBytes(zeros.data(), zeros.size(), needle, 8), zeros.data() + 77770);
  const std::uint8_t allZero[] = {0, 0, 0, 0};
  EXPECT_EQ(findBytes(zeros.data() + 5, zeros.size() - 5, allZero, 4), zeros.data() + 5);
}

// Inputs that defeat a filter on a few pattern bytes: 00 01 repeated, searched for patterns of
// the same bytes that differ at one place (last, first, in the middle), over several blocks, with
// stretches of ordinary bytes between periodic ones and hits planted near block edges.
TEST(FindBytes, AdversarialInputAgreesWithThePlainScan) {
  std::mt19937 random(7);
  std::vector<std::uint8_t> buffer(3 * 256 * 1024 + 777);
  for (std::size_t i = 0; i < buffer.size(); ++i) buffer[i] = static_cast<std::uint8_t>(i & 1);
  for (std::size_t i = 400000; i < 520000; ++i) buffer[i] = static_cast<std::uint8_t>(random());
  for (std::size_t m : {2u, 3u, 8u, 33u, 255u}) {
    for (std::size_t changed : {m - 1, std::size_t{0}, m / 2}) {
      std::vector<std::uint8_t> pattern(m);
      for (std::size_t j = 0; j < m; ++j) pattern[j] = static_cast<std::uint8_t>(j & 1);
      pattern[changed] ^= 0x03;
      EXPECT_EQ(findBytes(buffer.data(), buffer.size(), pattern.data(), m),
                plainScan(buffer.data(), buffer.size(), pattern.data(), m))
          << m << " " << changed;
      for (std::size_t at : {std::size_t{262143}, std::size_t{262144} + 4090, std::size_t{600001}, buffer.size() - m}) {
        std::vector<std::uint8_t> planted = buffer;
        std::copy(pattern.begin(), pattern.end(), planted.begin() + static_cast<std::ptrdiff_t>(at));
        ASSERT_EQ(findBytes(planted.data(), planted.size(), pattern.data(), m),
                  plainScan(planted.data(), planted.size(), pattern.data(), m))
            << m << " " << changed << " " << at;
      }
    }
  }
}

}  // namespace
}  // namespace nibblet
