// Search and compare over files mapped afresh: pieces whose pages are not mapped in yet are read
// from the file, and the results must be exactly those of a plain pass over the mapped bytes,
// edits made through the mapping included.

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <random>
#include <vector>

#include "core/diff/compare.h"
#include "core/platform/mapped_file.h"
#include "core/view/find_in_pieces.h"
#include "support/temp_dir.h"

namespace nibblet {
namespace {

using test::TempDir;

constexpr std::size_t kSize = (9u << 20) + 4093;  // windows of 4 MiB, pieces of 256 KiB, an odd end

std::vector<std::uint8_t> randomBytes(std::uint32_t seed, unsigned alphabet) {
  std::mt19937 random(seed);
  std::vector<std::uint8_t> bytes(kSize);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(random() % alphabet);
  return bytes;
}

const std::uint8_t* plainScan(const std::uint8_t* start, std::size_t n, const std::uint8_t* pattern, std::size_t m) {
  for (std::size_t i = 0; i + m <= n; ++i)
    if (std::memcmp(start + i, pattern, m) == 0) return start + i;
  return nullptr;
}

TEST(FreshMapping, SearchFindsWhatAPlainScanFinds) {
  TempDir dir;
  std::vector<std::uint8_t> bytes = randomBytes(1, 200);
  const std::uint8_t pattern[] = {0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5};  // bytes the file lacks
  // Planted across a piece boundary, and later written through the mapping into a window
  // whose other pages are never touched before the search.
  const std::size_t across = (256u << 10) * 5 - 3, edited = (6u << 20) + 12345;
  std::memcpy(bytes.data() + (8u << 20), pattern, sizeof pattern);
  std::memcpy(bytes.data() + across, pattern, sizeof pattern);
  test::writeFile(dir.file("a.bin"), bytes);

  MappedFile file;
  ASSERT_EQ(file.open(dir.u16("a.bin"), Access::ReadWrite), 0);
  const std::uint8_t* hit = nullptr;
  ASSERT_EQ(findBytesInPieces(file.bytes(), file.size(), pattern, sizeof pattern, {}, hit), 0);
  EXPECT_EQ(hit, file.bytes() + across);
  ASSERT_EQ(findBytesInPieces(file.bytes() + across + 1, file.size() - across - 1, pattern, sizeof pattern, {}, hit), 0);
  EXPECT_EQ(hit, file.bytes() + (8u << 20));

  std::memcpy(file.bytes() + edited, pattern, sizeof pattern);
  ASSERT_EQ(findBytesInPieces(file.bytes() + across + 1, file.size() - across - 1, pattern, sizeof pattern, {}, hit), 0);
  EXPECT_EQ(hit, file.bytes() + edited);

  // A pattern that ends at the file's last byte, and one cut one byte short of it.
  const std::uint8_t* tail = file.bytes() + file.size() - 7;
  std::vector<std::uint8_t> last(tail, tail + 7);
  ASSERT_EQ(findBytesInPieces(file.bytes(), file.size(), last.data(), last.size(), {}, hit), 0);
  EXPECT_EQ(hit, plainScan(file.bytes(), file.size(), last.data(), last.size()));
  ASSERT_EQ(findBytesInPieces(file.bytes(), file.size() - 1, last.data(), last.size(), {}, hit), 0);
  EXPECT_EQ(hit, plainScan(file.bytes(), file.size() - 1, last.data(), last.size()));
}

TEST(FreshMapping, SearchReportsProgressAndStopsWhenAsked) {
  TempDir dir;
  test::writeFile(dir.file("z.bin"), std::vector<std::uint8_t>(80u << 20, 0));
  MappedFile file;
  ASSERT_EQ(file.open(dir.u16("z.bin"), Access::ReadOnly), 0);
  const std::uint8_t one[] = {0, 1};
  std::vector<std::uint64_t> reports;
  const std::uint8_t* hit = file.bytes();
  auto stopAtSecond = [&](std::uint64_t done, std::uint64_t total) {
    EXPECT_EQ(total, file.size());
    reports.push_back(done);
    return reports.size() < 2;
  };
  EXPECT_EQ(findBytesInPieces(file.bytes(), file.size(), one, 2, stopAtSecond, hit), ECANCELED);
  EXPECT_EQ(hit, file.bytes());  // untouched
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_LT(reports[0], reports[1]);
  EXPECT_LE(reports[1], (64u << 20) + (256u << 10));  // every 32 MiB, to the next piece
}

TEST(FreshMapping, CompareMatchesTheBytesAndStopsWhenAsked) {
  TempDir dir;
  std::vector<std::uint8_t> a = randomBytes(2, 256), b = a;
  std::vector<std::uint32_t> expected;
  for (std::size_t i = 3; i < kSize; i += 1 + (i * 7919) % 50000) b[i] ^= 0x5A;
  b[kSize - 1] ^= 1;
  test::writeFile(dir.file("a.bin"), a);
  test::writeFile(dir.file("b.bin"), b);
  MappedFile first, second;
  ASSERT_EQ(first.open(dir.u16("a.bin"), Access::ReadWrite), 0);
  ASSERT_EQ(second.open(dir.u16("b.bin"), Access::ReadOnly), 0);
  first.bytes()[(5u << 20) + 1] ^= 0x11;  // an edit through the mapping counts as well
  a[(5u << 20) + 1] ^= 0x11;
  for (std::uint32_t i = 0; i < kSize; ++i)
    if (a[i] != b[i]) expected.push_back(i);

  DiffSet diffs;
  AppendResult stored;
  ASSERT_EQ(compareBytes(first.bytes(), second.bytes(), first.size(), diffs, stored), 0);
  EXPECT_EQ(stored, AppendResult::Stored);
  ASSERT_EQ(diffs.count(), expected.size());
  for (std::uint32_t i = 0; i < diffs.count(); ++i) {
    ASSERT_EQ(diffs.entry(i).offset, expected[i]);
    EXPECT_EQ(diffs.entry(i).docValue, a[expected[i]]);
    EXPECT_EQ(diffs.entry(i).otherValue, b[expected[i]]);
  }

  // Stopped at its first report, a comparison leaves the set as it found it.
  std::vector<std::uint8_t> big(80u << 20, 1), other(80u << 20, 2);
  const std::uint32_t before = diffs.count();
  EXPECT_EQ(compareBytes(big.data(), other.data(), static_cast<std::uint32_t>(big.size()), diffs, stored,
                         [](std::uint64_t, std::uint64_t) { return false; }),
            ECANCELED);
  EXPECT_EQ(diffs.count(), before);
  EXPECT_EQ(diffs.entry(before - 1).offset, expected.back());
}

}  // namespace
}  // namespace nibblet
