#include <gtest/gtest.h>

#include "core/diff/diff_set.h"

namespace nibblet {
namespace {

// Millions of entries: storage that grows in place keeps every entry, ends at most a page above
// eight bytes per entry, and a request no memory can meet fails with the program's messages'
// causes instead of ending the program.
TEST(DiffSetStorage, GrowsKeepsEntriesAndFailsCleanly) {
  DiffSet diffs;
  AppendResult failure = AppendResult::Stored;
  EXPECT_EQ(diffs.room(std::size_t{1} << 60, failure), nullptr);
  EXPECT_EQ(failure, AppendResult::AllocError);
  for (std::uint32_t i = 0; i < 3'000'000; ++i)
    ASSERT_EQ(diffs.append({i * 3, static_cast<std::uint8_t>(i), 7}), AppendResult::Stored);
  EXPECT_EQ(diffs.room(std::size_t{1} << 60, failure), nullptr);
  EXPECT_EQ(failure, AppendResult::ReallocError);
  diffs.releaseSpare();
  EXPECT_LE(diffs.storageBytes(), diffs.count() * sizeof(DiffEntry) + 4096);
  for (std::uint32_t i = 0; i < 3'000'000; i += 999) {
    ASSERT_EQ(diffs.entry(i).offset, i * 3);
    ASSERT_EQ(diffs.entry(i).docValue, static_cast<std::uint8_t>(i));
  }
  ASSERT_NE(diffs.find(2'999'999u * 3), nullptr);
  diffs.truncate(10);
  EXPECT_EQ(diffs.count(), 10u);
  diffs.releaseSpare();
  EXPECT_EQ(diffs.append({1000, 1, 2}), AppendResult::Stored);
  EXPECT_EQ(diffs.entry(10).offset, 1000u);
}

}  // namespace
}  // namespace nibblet
