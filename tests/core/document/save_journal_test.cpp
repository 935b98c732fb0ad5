// Saves stopped at every step they take, and what the next start makes of them: a journal
// whose file another program rewrote is never replayed into it, one whose file cannot be
// reached is kept for a later start, and a whole save puts the old content back when it
// cannot finish.

#include <fcntl.h>
#include <malloc.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "core/document/save_in_place.h"
#include "core/document/start_up_report.h"
#include "core/document/work_folder.h"
#include "core/platform/unicode.h"
#include "support/document_fixture.h"
#include "support/child_process.h"
#include "support/kill_points.h"
#include "support/system_calls.h"

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

// A 4 KiB file opened as a temporary copy with two edits far apart; for a whole save another
// program then changed the file. Each save runs in a child, so the document stays as it was;
// `reset` gives the file its bytes back with the times the document knows (or, for a whole
// save, those after the other program's change), so every save is the same save.
struct TwoEdits {
  DocumentFixture f;
  std::vector<std::uint8_t> old = std::vector<std::uint8_t>(4096, 0x11);
  std::vector<std::uint8_t> fresh = old;
  struct stat opened {};
  explicit TwoEdits(bool whole = false) {
    EXPECT_TRUE(f.open("f.bin", old, 1));
    for (std::uint32_t at : {100u, 4000u}) {
      f.edit(at, 0x22);
      fresh[at] = 0x22;
    }
    if (whole) {
      old[0] = 0x44;
      writeFile(file(), old);
      struct timespec later[2] = {{0, UTIME_OMIT}, {std::time(nullptr) + 100, 0}};
      ::utimensat(AT_FDCWD, file().c_str(), later, 0);
    }
    ::stat(file().c_str(), &opened);
  }
  std::string file() const { return f.dir.file("f.bin"); }
  std::string work() const { return f.dir.file("work"); }
  void save() {
    f.messages.answer(kButtonYes);  // overwrite a file another program changed
    f.document.save(false);
  }
  void reset(const std::vector<std::uint8_t>& bytes) {
    ::chmod(file().c_str(), 0600);
    int fd = ::open(file().c_str(), O_WRONLY | O_TRUNC);
    ASSERT_EQ(::pwrite(fd, bytes.data(), bytes.size(), 0), static_cast<ssize_t>(bytes.size()));
    struct timespec times[2] = {opened.st_atim, opened.st_mtim};
    ::futimens(fd, times);
    ::close(fd);
    ::chmod(file().c_str(), opened.st_mode & 07777);
  }
  int saveCalls() {
    int calls = test::callsMadeBy([&] { save(); });
    reset(old);
    return calls;
  }
};

TEST(SaveJournal, AFileRewrittenByAnotherProgramAfterAKilledSaveGetsNothingOfIt) {
  for (bool whole : {false, true}) {
    TwoEdits t(whole);
    int total = t.saveCalls();
    ASSERT_GT(total, 4);
    for (int n : test::killPoints(total, 30)) {
      for (std::size_t otherSize : {std::size_t{4096}, std::size_t{1000}}) {
        test::killedAtCall(n, otherSize == 1000, [&] { t.save(); });
        // Another program writes its own bytes over the same inode.
        const std::vector<std::uint8_t> other(otherSize, 0x33);
        writeFile(t.file(), other);
        bool journalLeft = !saveJournalsIn(t.work()).empty();
        cleanUpWorkFolder(t.f.settings);
        ASSERT_EQ(readFile(t.file()), other) << "kill at call " << n << (whole ? " of a whole save" : "");
        // The journal stays: the next open of the file says what became of the save.
        ASSERT_EQ(saveJournalsIn(t.work()).empty(), !journalLeft) << n;
        removeSaveJournals(t.work());
        t.reset(t.old);
      }
    }
  }
}

TEST(SaveJournal, AFileAwayAtTheNextStartIsFinishedWhenItIsBack) {
  TwoEdits t;
  int total = t.saveCalls();
  int finishedLater = 0;
  for (int n : test::killPoints(total, 40)) {
    test::killedAtCall(n, /*tear=*/true, [&] { t.save(); });
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

// A whole run dies in its save, at the first write into the file.
void crashInSave(DocumentFixture& f, const std::vector<std::uint8_t>& old) {
  int status = test::inChild([&] {
    if (!f.open("f.bin", old, 1)) return 1;
    f.edit(100, 0x22);
    f.edit(4000, 0x22);
    test::CallPlan plan;
    plan.only = "pwrite";
    plan.killAt = 1;
    test::planCalls(plan);
    f.document.save(false);
    return 2;
  });
  ASSERT_EQ(status, 128 + SIGKILL);
}

TEST(SaveJournal, TheNextOpenSaysASaveWasNotFinishedAndTheCopySavesIt) {
  DocumentFixture f;
  const std::vector<std::uint8_t> old(4096, 0x11), other(4096, 0x33);
  crashInSave(f, old);
  writeFile(f.dir.file("f.bin"), other);
  cleanUpWorkFolder(f.settings);
  ASSERT_EQ(readFile(f.dir.file("f.bin")), other);

  f.messages.answer(kButtonOk);
  f.messages.answer(kButtonYes);
  f.document.setPath(f.dir.u16("f.bin"));
  ASSERT_TRUE(f.document.openDocument());
  ASSERT_EQ(f.messages.shown().size(), 2u);
  EXPECT_EQ(f.messages.shown()[0].text,
            u"A save to " + f.dir.u16("f.bin") +
                u" was cut short, and another program has changed the file since, so the save was not finished. "
                u"The file was left as it is; the changes are still in the temporary copy.");
  EXPECT_EQ(f.messages.shown()[1].text, u"Recover the unsaved changes to " + f.dir.u16("f.bin") + u"?");
  EXPECT_EQ(f.document.bytes()[100], 0x22);
  f.messages.clear();
  f.messages.answer(kButtonYes);  // overwrite the other program's bytes
  EXPECT_TRUE(f.document.save(false));
  std::vector<std::uint8_t> expected = old;
  expected[100] = expected[4000] = 0x22;
  EXPECT_EQ(readFile(f.dir.file("f.bin")), expected);
  EXPECT_TRUE(saveJournalsIn(f.dir.file("work")).empty());
}

TEST(SaveJournal, AFinishedSaveLeavesNothingToRecoverAndNothingToAskAbout) {
  DocumentFixture f;
  f.settings.openMode = 1;
  const std::vector<std::uint8_t> old(4096, 0x11);
  crashInSave(f, old);
  cleanUpWorkFolder(f.settings);
  std::vector<std::uint8_t> expected = old;
  expected[100] = expected[4000] = 0x22;
  ASSERT_EQ(readFile(f.dir.file("f.bin")), expected);
  // Its run's copy is known to be saved: nothing is offered, and a save of the reopened file
  // asks nothing about another program.
  f.document.setPath(f.dir.u16("f.bin"));
  ASSERT_TRUE(f.document.openDocument());
  EXPECT_TRUE(f.messages.shown().empty());
  f.edit(5, 0x55);
  EXPECT_TRUE(f.document.save(false));
  ASSERT_EQ(f.messages.shown().size(), 1u);
  EXPECT_EQ(f.messages.shown()[0].text, u"File " + f.dir.u16("f.bin") + u" saved.");
}

TEST(SaveJournal, ASaveWaitingLongForItsFileIsOfferedForDeletion) {
  TwoEdits t;
  const int total = t.saveCalls();
  test::killedAtCall(total / 2, false, [&] { t.save(); });
  std::vector<std::string> left = saveJournalsIn(t.work());
  ASSERT_EQ(left.size(), 1u);
  fs::rename(t.file(), t.f.dir.file("away.bin"));
  for (int days : {3, 40}) {
    struct timespec then[2] = {{0, UTIME_OMIT}, {std::time(nullptr) - days * 86400, 0}};
    ::utimensat(AT_FDCWD, left[0].c_str(), then, 0);
    for (int answer : {kButtonNo, kButtonYes}) {
      t.f.messages.clear();
      t.f.messages.answer(answer);
      tellWorkFolderReport(cleanUpWorkFolder(t.f.settings), t.f.texts, t.f.messages);
      if (days < kUnfinishedSaveDays) {
        EXPECT_TRUE(t.f.messages.shown().empty());
        continue;
      }
      ASSERT_EQ(t.f.messages.shown().size(), 1u);
      EXPECT_EQ(t.f.messages.shown()[0].text,
                u"A save to " + t.f.dir.u16("f.bin") + u" was cut short 40 day(s) ago and could not be finished, "
                u"since the file could not be reached. Delete the record of that save? No keeps it, and the save "
                u"is finished once the file is there again.");
    }
    // Kept until the answer is Yes.
    EXPECT_EQ(saveJournalsIn(t.work()).empty(), days >= kUnfinishedSaveDays);
  }
}

TEST(SaveJournal, AReadOnlyFileGetsItsModeBackWhereverTheSaveStopped) {
  // Root writes a read-only file without changing its mode: the saves run as another user.
  int status = test::inChild([] {
    if (!test::becomeNobody()) return 3;
    TwoEdits t;
    ::chmod(t.file().c_str(), 0444);
    ::stat(t.file().c_str(), &t.opened);
    int total = t.saveCalls();
    for (int n : test::killPoints(total, 30)) {
      test::killedAtCall(n, false, [&] { t.save(); });
      cleanUpWorkFolder(t.f.settings);
      struct stat st;
      ::stat(t.file().c_str(), &st);
      EXPECT_EQ(st.st_mode & 07777, 0444u) << "kill at call " << n;
      t.reset(t.old);
    }
    // A mode that cannot be given back at once (the last fchmod fails) is given back by the
    // next start.
    test::CallPlan plan;
    plan.only = "fchmod";
    plan.failFrom = test::callsMadeBy([&] { t.save(); }, "fchmod");
    plan.failError = EIO;
    t.reset(t.old);
    int saved = test::inChild([&] {
      test::planCalls(plan);
      return t.f.document.save(false) ? 0 : 1;
    });
    EXPECT_EQ(saved, 1);
    EXPECT_EQ(readFile(t.file()), t.fresh);
    cleanUpWorkFolder(t.f.settings);
    struct stat st;
    ::stat(t.file().c_str(), &st);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
    EXPECT_TRUE(saveJournalsIn(t.work()).empty());
    return ::testing::Test::HasFailure() ? 1 : 0;
  });
  EXPECT_EQ(status, 0);
}

TEST(SaveJournal, AFileDeletedMeanwhileIsNeverMadeAnewFromAFaultedMapping) {
  DocumentFixture f;
  ASSERT_TRUE(f.open("f.bin", std::vector<std::uint8_t>(1 << 20, 0x11), 1));
  f.edit(5, 0x55);
  ::unlink(f.dir.file("f.bin").c_str());
  std::string copy = toUtf8(f.document.path());
  int status = test::inChild([&] {
    // While the bytes are written, another program shortens the copy under its mapping.
    test::CallPlan plan;
    plan.only = "write";
    plan.actAt = 1;
    plan.action = [&] {
      ::truncate(copy.c_str(), 4096);
      volatile std::uint8_t touched = f.document.bytes()[4096];
      (void)touched;
    };
    test::planCalls(plan);
    bool saved = f.document.save(false);
    test::stopCounting();
    return saved ? 1 : 0;
  });
  EXPECT_EQ(status, 0);
  EXPECT_FALSE(test::exists(f.dir.file("f.bin")));
}

// The private memory this process has, in bytes (what RLIMIT_DATA limits).
std::uint64_t dataInUse() {
  std::ifstream status("/proc/self/status");
  std::string key;
  while (status >> key) {
    if (key == "VmData:") {
      std::uint64_t kib = 0;
      status >> kib;
      return kib * 1024;
    }
  }
  return 0;
}

TEST(SaveJournal, ASaveOfAHugeChangeNeedsLittleMoreMemory) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "memory limits do not hold under AddressSanitizer's shadow memory";
#endif
  DocumentFixture f;
  const std::uint32_t size = 32 << 20;
  ASSERT_TRUE(f.open("big.bin", std::vector<std::uint8_t>(size, 0), 1));
  // Every 16th byte, as a large import leaves them: one range over the whole file.
  std::vector<ChangeEntry> entries;
  for (std::uint32_t at = 0; at < size; at += 16) entries.push_back({at, 0, 1});
  f.document.changeLog().appendAll(entries);
  for (const ChangeEntry& e : entries) f.document.bytes()[e.offset] = 1;
  entries = {};
  int status = test::inChild([&] {
    const std::uint64_t room = 16 << 20;  // half the changed span
    ::malloc_trim(0);
    struct rlimit limit = {dataInUse() + room, dataInUse() + room};
    if (::setrlimit(RLIMIT_DATA, &limit) != 0) return 3;
    return f.document.save(false) ? 0 : 1;
  });
  ASSERT_EQ(status, 0);
  std::vector<std::uint8_t> saved = readFile(f.dir.file("big.bin"));
  ASSERT_EQ(saved.size(), size);
  for (std::uint32_t at = 0; at < size; ++at) ASSERT_EQ(saved[at], at % 16 == 0 ? 1 : 0) << at;
}

// A whole save stopped between two pieces puts back only what it wrote, so the old content
// must come back in full whether the copy is shorter or longer than the file it goes over.
TEST(WholeSave, AStopAtAnyReportLeavesTheFileAsItWasWhateverItsSize) {
  const std::uint32_t copySize = 4u << 20;
  for (std::uint32_t theirSize : {copySize - (1u << 20) - 7, copySize + (1u << 20) + 7}) {
    test::TempDir dir;
    const std::string work = dir.file("work");
    fs::create_directory(work);
    fs::permissions(work, fs::perms::owner_all);
    std::vector<std::uint8_t> copy(copySize), theirs(theirSize);
    for (std::uint32_t i = 0; i < copySize; ++i) copy[i] = static_cast<std::uint8_t>(i * 7 + 1);
    for (std::uint32_t i = 0; i < theirSize; ++i) theirs[i] = static_cast<std::uint8_t>(i * 13 + 5);
    writeFile(dir.file("copy.tmp"), copy);
    SaveRequest r;
    r.target = dir.file("a.bin");
    r.bytes = copy.data();
    r.size = copySize;
    r.workFolder = work;
    r.whole = true;
    r.copyPath = dir.file("copy.tmp");
    // Reports that moved on are counted; how often a flush's wait repeats its report depends
    // on the disk.
    int reports = 0, stopAt = 0;
    std::uint64_t last = ~std::uint64_t{0};
    r.progress = [&](std::uint64_t done, std::uint64_t) {
      if (done != last) ++reports;
      last = done;
      return reports != stopAt;
    };
    SaveOutcome out;
    writeFile(r.target, theirs);
    ASSERT_EQ(saveInPlace(r, out), 0);
    ASSERT_EQ(readFile(r.target), copy);
    const int total = reports;
    ASSERT_GT(total, 4);
    for (int at : {1, total / 2, total - 1, total}) {
      SCOPED_TRACE(at);
      writeFile(r.target, theirs);
      reports = 0;
      last = ~std::uint64_t{0};
      stopAt = at;
      EXPECT_EQ(saveInPlace(r, out), ECANCELED);
      EXPECT_EQ(readFile(r.target), theirs);
      EXPECT_TRUE(out.leftJournal.empty());
      EXPECT_TRUE(fs::is_empty(work));
    }
  }
}

}  // namespace
}  // namespace nibblet
