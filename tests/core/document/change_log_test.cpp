#include "core/document/change_log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <span>
#include <vector>

namespace nibblet {
namespace {

std::vector<std::uint32_t> reported(const ChangeLog& log, std::uint32_t first, std::uint32_t last) {
  std::vector<std::uint32_t> out;
  log.forEachInRange(first, last, [&](std::uint32_t offset) { out.push_back(offset); });
  return out;
}

// What forEachInRange must report: the offsets of the entries now in the log, in offset order.
std::vector<std::uint32_t> expected(const ChangeLog& log, std::uint32_t first, std::uint32_t last) {
  std::vector<std::uint32_t> out;
  for (std::uint32_t i = 0; i < log.count(); ++i)
    if (log.entry(i).offset >= first && log.entry(i).offset <= last) out.push_back(log.entry(i).offset);
  std::sort(out.begin(), out.end());
  return out;
}

TEST(ChangeLog, UndoRestoresOnlyBytesThatStillHoldTheNewValue) {
  ChangeLog log;
  std::uint8_t bytes[4] = {1, 2, 3, 4};
  EXPECT_FALSE(log.undoLast(bytes, 4));
  log.append(1, 2, 9);
  bytes[1] = 9;
  log.append(2, 3, 8);
  bytes[2] = 7;  // changed behind the log's back
  log.append(70, 0, 1);  // outside the bytes
  EXPECT_TRUE(log.undoLast(bytes, 4));
  EXPECT_TRUE(log.undoLast(bytes, 4));
  EXPECT_EQ(bytes[2], 7);
  EXPECT_TRUE(log.undoLast(bytes, 4));
  EXPECT_EQ(bytes[1], 2);
  EXPECT_TRUE(log.isEmpty());
}

TEST(ChangeLog, TakingBackManyAtOnceMatchesUndoingOneByOne) {
  struct Observer : ChangeObserver {
    void changeAppended(const ChangeEntry&) override {}
    void changeUndone(const ChangeEntry&) override { ++single; }
    void changesUndone(std::span<const ChangeEntry> entries) override { batches.push_back(entries.size()); }
    bool mayWrite() override { return writable; }
    int single = 0;
    std::vector<std::size_t> batches;
    bool writable = true;
  } observer;
  std::mt19937 random(11);
  std::vector<std::uint8_t> one(64), many(64);
  ChangeLog a, b;
  b.setObserver(&observer);
  for (int i = 0; i < 500; ++i) {
    std::uint32_t at = random() % 70;  // a few outside the bytes
    std::uint8_t value = static_cast<std::uint8_t>(random());
    std::uint8_t now = at < 64 ? one[at] : 0;
    a.append(at, now, value);
    b.append(at, now, value);
    if (at < 64) one[at] = many[at] = value;
    if (i % 50 == 0) one[i % 64] = many[i % 64] = 0xEE;  // changed behind the log's back
  }
  observer.writable = false;
  EXPECT_FALSE(b.undoTo(100, many.data(), 64));
  EXPECT_EQ(b.count(), 500u);
  observer.writable = true;
  while (a.count() > 100) a.undoLast(one.data(), 64);
  EXPECT_TRUE(b.undoTo(100, many.data(), 64));
  EXPECT_EQ(many, one);
  EXPECT_EQ(b.count(), 100u);
  EXPECT_EQ(observer.batches, std::vector<std::size_t>{400});
  EXPECT_EQ(observer.single, 0);
  EXPECT_TRUE(b.undoTo(100, many.data(), 64));  // nothing left to take back
  EXPECT_EQ(reported(b, 0, 100), expected(b, 0, 100));
}

// Appends, undos and clears in random order, with a look at the index after each step: the
// index must always report exactly the entries in the log, also after undone entries are
// replaced by new ones at the same positions of the log.
TEST(ChangeLog, RangeQueriesFollowAppendsUndosAndClears) {
  std::mt19937 random(5);
  ChangeLog log;
  std::vector<std::uint8_t> bytes(4096);
  for (int step = 0; step < 6000; ++step) {
    unsigned action = random() % 100;
    if (action < 60) {
      std::uint32_t burst = random() % 4 == 0 ? 1 + random() % 300 : 1;  // a paste or a diff import
      for (std::uint32_t i = 0; i < burst; ++i) log.append(random() % 4096, 0, 1);
    } else if (action < 95) {
      std::uint32_t undos = random() % 3 == 0 ? random() % 200 : 1;
      for (std::uint32_t i = 0; i < undos; ++i) log.undoLast(bytes.data(), 4096);
    } else if (action < 96) {
      log.clear();
    }
    if (random() % 3 == 0) continue;  // several edits between two paints
    std::uint32_t first = random() % 4096, last = first + random() % 200;
    ASSERT_EQ(reported(log, first, last), expected(log, first, last)) << "step " << step;
  }
  EXPECT_EQ(reported(log, 0, 0xFFFFFFFF), expected(log, 0, 0xFFFFFFFF));
  EXPECT_TRUE(reported(log, 10, 9).empty());
}

TEST(ChangeLog, EntriesAtTheEdgesOfTheOffsetRange) {
  ChangeLog log;
  for (std::uint32_t offset : {0xFFFFFFFFu, 0u, 5u, 0xFFFFFFFFu, 5u}) log.append(offset, 0, 0);
  EXPECT_EQ(reported(log, 0, 0xFFFFFFFF), (std::vector<std::uint32_t>{0, 5, 5, 0xFFFFFFFF, 0xFFFFFFFF}));
  EXPECT_EQ(reported(log, 0xFFFFFFFF, 0xFFFFFFFF), (std::vector<std::uint32_t>{0xFFFFFFFF, 0xFFFFFFFF}));
  EXPECT_EQ(reported(log, 1, 4), std::vector<std::uint32_t>{});
}

TEST(ChangeLogIndex, ReportsEveryEntryInRangeThroughAppendsUndosAndMerges) {
  ChangeLog log;
  std::vector<std::uint8_t> bytes(5000, 0);
  std::mt19937 random(3);
  EXPECT_TRUE(reported(log, 0, 0xFFFFFFFF).empty());
  // Runs of appends long enough to merge the newest part into the bulk several times, with
  // undos that reach back into the bulk, queried between the steps as a paint would.
  for (int step = 0; step < 400; ++step) {
    int appends = static_cast<int>(random() % 200);
    for (int i = 0; i < appends; ++i) log.append(random() % 5000, 0, 1);
    int undos = step % 7 == 0 ? static_cast<int>(random() % 300) : static_cast<int>(random() % 3);
    for (int i = 0; i < undos; ++i) log.undoLast(bytes.data(), 5000);
    std::uint32_t first = random() % 5000, last = first + random() % 400;
    ASSERT_EQ(reported(log, first, last), expected(log, first, last)) << "step " << step;
  }
  EXPECT_EQ(reported(log, 0, 0xFFFFFFFF), expected(log, 0, 0xFFFFFFFF));
  EXPECT_TRUE(reported(log, 10, 9).empty());
  log.append(4999, 0, 1);
  log.append(0, 0, 1);
  EXPECT_EQ(reported(log, 4999, 0xFFFFFFFF), expected(log, 4999, 0xFFFFFFFF));
  EXPECT_EQ(reported(log, 0, 0), expected(log, 0, 0));
  log.clear();
  EXPECT_TRUE(reported(log, 0, 0xFFFFFFFF).empty());
}

}  // namespace
}  // namespace nibblet
