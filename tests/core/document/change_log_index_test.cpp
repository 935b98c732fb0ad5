#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "core/document/change_log.h"

namespace nibblet {
namespace {

std::vector<std::uint32_t> inRange(const ChangeLog& log, std::uint32_t first, std::uint32_t last) {
  std::vector<std::uint32_t> out;
  log.forEachInRange(first, last, [&out](std::uint32_t offset) { out.push_back(offset); });
  return out;
}

// What the index must report: every entry's offset in [first, last], in order, repeats kept.
std::vector<std::uint32_t> expected(const ChangeLog& log, std::uint32_t first, std::uint32_t last) {
  std::vector<std::uint32_t> out;
  for (std::uint32_t i = 0; i < log.count(); ++i)
    if (log.entry(i).offset >= first && log.entry(i).offset <= last) out.push_back(log.entry(i).offset);
  std::sort(out.begin(), out.end());
  return out;
}

TEST(ChangeLogIndex, ReportsEveryEntryInRangeThroughAppendsUndosAndMerges) {
  ChangeLog log;
  std::vector<std::uint8_t> bytes(5000, 0);
  std::mt19937 random(3);
  EXPECT_TRUE(inRange(log, 0, 0xFFFFFFFF).empty());
  // Runs of appends long enough to merge the newest part into the bulk several times, with
  // undos that reach back into the bulk, queried between the steps as a paint would.
  for (int step = 0; step < 400; ++step) {
    int appends = static_cast<int>(random() % 200);
    for (int i = 0; i < appends; ++i) log.append(random() % 5000, 0, 1);
    int undos = step % 7 == 0 ? static_cast<int>(random() % 300) : static_cast<int>(random() % 3);
    for (int i = 0; i < undos; ++i) log.undoLast(bytes.data(), 5000);
    std::uint32_t first = random() % 5000, last = first + random() % 400;
    ASSERT_EQ(inRange(log, first, last), expected(log, first, last)) << "step " << step;
  }
  EXPECT_EQ(inRange(log, 0, 0xFFFFFFFF), expected(log, 0, 0xFFFFFFFF));
  EXPECT_TRUE(inRange(log, 10, 9).empty());
  log.append(4999, 0, 1);
  log.append(0, 0, 1);
  EXPECT_EQ(inRange(log, 4999, 0xFFFFFFFF), expected(log, 4999, 0xFFFFFFFF));
  EXPECT_EQ(inRange(log, 0, 0), expected(log, 0, 0));
  log.clear();
  EXPECT_TRUE(inRange(log, 0, 0xFFFFFFFF).empty());
}

}  // namespace
}  // namespace nibblet
