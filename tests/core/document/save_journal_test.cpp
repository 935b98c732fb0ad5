// Saves stopped at every step they take, and what the next start makes of them: a journal
// whose file another program rewrote is never replayed into it, one whose file cannot be
// reached is kept for a later start, and a whole save puts the old content back when it
// cannot finish.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "core/document/work_folder.h"
#include "core/platform/unicode.h"
#include "support/document_fixture.h"
#include "support/kill_points.h"

namespace nibblet {
namespace {

namespace fs = std::filesystem;
using test::DocumentFixture;
using test::readFile;
using test::writeFile;

std::vector<std::string> saveJournalsIn(const std::string& folder) {
  std::vector<std::string> found;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(folder, ec)) {
    std::string name = e.path().filename().string();
    if (name.starts_with("nbs") && name.ends_with(".jnl")) found.push_back(e.path().string());
  }
  return found;
}

void removeSaveJournals(const std::string& folder) {
  for (const std::string& path : saveJournalsIn(folder)) ::unlink(path.c_str());
}

// A 4 KiB file opened as a temporary copy with two edits far apart. Each save runs in a child,
// so the document stays as it was; `reset` gives the file its bytes back with the times the
// document knows, so the next save takes it for the file it opened.
struct TwoEdits {
  DocumentFixture f;
  std::vector<std::uint8_t> old = std::vector<std::uint8_t>(4096, 0x11);
  std::vector<std::uint8_t> fresh = old;
  struct stat opened {};
  TwoEdits() {
    EXPECT_TRUE(f.open("f.bin", old, 1));
    ::stat(file().c_str(), &opened);
    for (std::uint32_t at : {100u, 4000u}) {
      f.edit(at, 0x22);
      fresh[at] = 0x22;
    }
  }
  std::string file() const { return f.dir.file("f.bin"); }
  std::string work() const { return f.dir.file("work"); }
  void reset(const std::vector<std::uint8_t>& bytes) {
    int fd = ::open(file().c_str(), O_WRONLY);
    ASSERT_EQ(::pwrite(fd, bytes.data(), bytes.size(), 0), static_cast<ssize_t>(bytes.size()));
    struct timespec times[2] = {opened.st_atim, opened.st_mtim};
    ::futimens(fd, times);
    ::close(fd);
  }
  int saveCalls() {
    int calls = test::callsMadeBy([&] { f.document.save(false); });
    reset(old);
    return calls;
  }
};

TEST(SaveJournal, AFileRewrittenByAnotherProgramAfterAKilledSaveGetsNothingOfIt) {
  TwoEdits t;
  const std::vector<std::uint8_t> other(4096, 0x33);
  int total = t.saveCalls();
  ASSERT_GT(total, 4);
  for (int n : test::killPoints(total, 40)) {
    for (bool tear : {false, true}) {
      test::killedAtCall(n, tear, [&] { t.f.document.save(false); });
      // Another program copies its file over the same inode, at the same size.
      int fd = ::open(t.file().c_str(), O_WRONLY);
      ASSERT_EQ(::pwrite(fd, other.data(), other.size(), 0), 4096);
      ::close(fd);
      bool journalLeft = !saveJournalsIn(t.work()).empty();
      cleanUpWorkFolder(t.f.settings);
      ASSERT_EQ(readFile(t.file()), other) << "kill at call " << n << (tear ? " (torn)" : "");
      // The journal stays: the next open of the file says what became of the save.
      ASSERT_EQ(saveJournalsIn(t.work()).empty(), !journalLeft) << n;
      removeSaveJournals(t.work());
      t.reset(t.old);
    }
  }
}

TEST(SaveJournal, AFileAwayAtTheNextStartIsFinishedWhenItIsBack) {
  TwoEdits t;
  int total = t.saveCalls();
  int finishedLater = 0;
  for (int n : test::killPoints(total, 40)) {
    test::killedAtCall(n, /*tear=*/true, [&] { t.f.document.save(false); });
    bool journalLeft = !saveJournalsIn(t.work()).empty();
    // The card is out at the next start, and back at the one after.
    fs::rename(t.file(), t.f.dir.file("away.bin"));
    cleanUpWorkFolder(t.f.settings);
    ASSERT_EQ(saveJournalsIn(t.work()).empty(), !journalLeft) << "kill at call " << n;
    fs::rename(t.f.dir.file("away.bin"), t.file());
    cleanUpWorkFolder(t.f.settings);
    std::vector<std::uint8_t> now = readFile(t.file());
    ASSERT_TRUE(now == t.old || now == t.fresh) << "kill at call " << n;
    if (journalLeft) {
      ASSERT_EQ(now, t.fresh) << "kill at call " << n;
      ++finishedLater;
    }
    ASSERT_TRUE(saveJournalsIn(t.work()).empty());
    t.reset(t.old);
  }
  EXPECT_GT(finishedLater, 0);
}

}  // namespace
}  // namespace nibblet
