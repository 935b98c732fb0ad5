// What an open offers of a dead run's work, and what it never does: another file's edits
// offered for a file that got its inode, a journal deleted before its successor holds the
// edits, a planted or damaged journal acted on, or two programs editing one file on the spot.

#include <fcntl.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

#include "core/document/crash_recovery.h"
#include "core/document/start_up_report.h"
#include "core/document/work_folder.h"
#include "core/platform/unicode.h"
#include "support/child_process.h"
#include "support/document_fixture.h"
#include "support/kill_points.h"
#include "support/system_calls.h"

namespace nibblet {
namespace {

namespace fs = std::filesystem;
using test::DocumentFixture;
using test::exists;
using test::inChild;
using test::readFile;
using test::writeFile;

const std::vector<std::uint8_t> kOld(4096, 0x11);

// A run that opens `name` in `mode`, edits byte 5 and dies without closing.
void crashAfterAnEdit(DocumentFixture& f, const std::string& name, int mode) {
  ASSERT_EQ(inChild([&] {
    if (!f.open(name, kOld, mode)) return 1;
    f.edit(5, 0x55);
    return 0;
  }), 0);
}

std::vector<std::u16string> textsOf(const ScriptedMessageBox& box) {
  std::vector<std::u16string> out;
  for (const auto& shown : box.shown()) out.push_back(shown.text);
  return out;
}

// A small ext4 file system in a file on a loop device (root only): a freed inode number is
// given to the next new file.
class LoopDisk {
 public:
  explicit LoopDisk(const std::string& at) : m_at(at) {
    fs::create_directory(at);
    std::string image = at + ".img";
    std::string make = "truncate -s 8M " + image + " && mkfs.ext4 -q -F " + image + " >/dev/null 2>&1 && mount -o loop " +
                       image + " " + at + " 2>/dev/null";
    m_mounted = ::geteuid() == 0 && std::system(make.c_str()) == 0;
  }
  ~LoopDisk() {
    if (m_mounted) ::umount2(m_at.c_str(), MNT_DETACH);
  }
  bool mounted() const { return m_mounted; }

 private:
  std::string m_at;
  bool m_mounted = false;
};

TEST(Recovery, AFileThatOnlySharesAnInodeIsNeverOfferedAnothersEdits) {
  for (int mode : {1, 0}) {
    DocumentFixture f;
    LoopDisk disk(f.dir.file("disk"));
    if (!disk.mounted()) GTEST_SKIP() << "a loop file system needs root and mkfs.ext4";
    crashAfterAnEdit(f, "disk/x.bin", mode);
    struct stat x;
    ASSERT_EQ(::stat(f.dir.file("disk/x.bin").c_str(), &x), 0);
    ::unlink(f.dir.file("disk/x.bin").c_str());
    const std::vector<std::uint8_t> other(4096, 0x99);
    writeFile(f.dir.file("disk/z.bin"), other);
    struct stat z;
    ASSERT_EQ(::stat(f.dir.file("disk/z.bin").c_str(), &z), 0);
    ASSERT_EQ(z.st_ino, x.st_ino) << "the file system gave the new file another inode";

    f.messages.answer(kButtonYes);
    f.document.setPath(f.dir.u16("disk/z.bin"));
    ASSERT_TRUE(f.document.openDocument());
    EXPECT_TRUE(f.messages.shown().empty()) << "mode " << mode;
    EXPECT_EQ(f.document.bytes()[5], 0x99);
    f.messages.clear();
    f.document.close();
    EXPECT_EQ(readFile(f.dir.file("disk/z.bin")), other);

    // A new file under the old name and inode is not the file the edits were made to either.
    fs::rename(f.dir.file("disk/z.bin"), f.dir.file("disk/x.bin"));
    ::unlink(f.dir.file("disk/x.bin").c_str());
    writeFile(f.dir.file("disk/x.bin"), other);
    f.messages.clear();
    f.messages.answer(kButtonNo);
    f.document.setPath(f.dir.u16("disk/x.bin"));
    ASSERT_TRUE(f.document.openDocument());
    ASSERT_EQ(f.messages.shown().size(), 1u);
    const std::u16string x16 = f.dir.u16("disk/x.bin");
    EXPECT_EQ(f.messages.shown()[0].text,
              mode == 1 ? u"Unsaved changes to " + x16 +
                              u" were kept when the program stopped, but the file has been changed or replaced since. "
                              u"Open the changes as a temporary copy? Saving it asks before overwriting the file."
                        : u"The program stopped while " + x16 +
                              u" was open on the spot, but the file has been changed or replaced since, so the 1 "
                              u"change(s) made then cannot be undone. Delete the record of them?");
    EXPECT_EQ(f.document.bytes()[5], 0x99);
    f.document.close();
  }
}

TEST(Recovery, AJournalBelongsToItsFileByBirthOrByChangeTime) {
  EditJournalContents journal;
  journal.source = {1, 2, 4096, 10, 0, {50, 5}, {40, 4}, true};
  StatTime written{60, 0};
  FileIdentity now = journal.source;
  for (JournalMode mode : {JournalMode::TemporaryCopy, JournalMode::OnTheSpot}) {
    journal.mode = mode;
    EXPECT_TRUE(CrashRecovery::isSameFile(journal, now, written));
    FileIdentity other = now;
    other.born = {41, 0};  // born later: a new file with the old inode
    EXPECT_FALSE(CrashRecovery::isSameFile(journal, other, written));
    other = now;
    other.size = 4097;
    EXPECT_FALSE(CrashRecovery::isSameFile(journal, other, written));
    other = now;
    other.inode = 3;
    EXPECT_FALSE(CrashRecovery::isSameFile(journal, other, written));
  }
  // Without birth times, the change time decides: unchanged for a copy; for edits made on the
  // spot, not after the journal's last record (with a little slack for the coarse clock).
  journal.source.hasBirth = now.hasBirth = false;
  journal.mode = JournalMode::TemporaryCopy;
  EXPECT_TRUE(CrashRecovery::isSameFile(journal, now, written));
  now.changed = {51, 0};
  EXPECT_FALSE(CrashRecovery::isSameFile(journal, now, written));
  journal.mode = JournalMode::OnTheSpot;
  EXPECT_TRUE(CrashRecovery::isSameFile(journal, now, written));
  now.changed = {61, 999999999};
  EXPECT_TRUE(CrashRecovery::isSameFile(journal, now, written));
  now.changed = {63, 0};
  EXPECT_FALSE(CrashRecovery::isSameFile(journal, now, written));
}

const std::u16string showQuestion(const DocumentFixture& f, int n) {
  return u"The program stopped while " + f.dir.u16("a.bin") + u" was open on the spot. Show the " +
         fromAscii(std::to_string(n)) + u" change(s) made then, so that they can be undone?";
}

TEST(Recovery, EditsMadeOnTheSpotSurviveARecoveryKilledAtAnyStep) {
  DocumentFixture f;
  ASSERT_EQ(inChild([&] {
    if (!f.open("a.bin", kOld, 0)) return 1;
    f.edit(1, 0x10);
    f.edit(2, 0x20);
    f.edit(3, 0x30);
    return 0;
  }), 0);
  auto recover = [&] {
    f.messages.answer(kButtonYes);
    f.document.setPath(f.dir.u16("a.bin"));
    f.document.openDocument();
  };
  int total = test::callsMadeBy([&] {
    recover();
    f.document.abandon();
  });
  for (int n : test::killPoints(total, 40)) {
    test::killedAtCall(n, n % 2 == 0, recover);
    cleanUpWorkFolder(f.settings);
    f.messages.clear();
    f.messages.answer(0);  // leave the question unanswered: nothing is opened, nothing lost
    f.document.setPath(f.dir.u16("a.bin"));
    EXPECT_FALSE(f.document.openDocument());
    ASSERT_EQ(textsOf(f.messages), std::vector<std::u16string>{showQuestion(f, 3)}) << "kill at call " << n;
  }
  f.messages.clear();
  recover();
  ASSERT_EQ(f.document.changeLog().count(), 3u);
  f.messages.answer(kButtonYes);
  f.document.undoAll();
  EXPECT_EQ(readFile(f.dir.file("a.bin")), kOld);
}

TEST(Recovery, AFileThatCannotBeMappedNowKeepsItsJournal) {
  DocumentFixture f;
  std::string at = f.dir.file("ro");
  fs::create_directory(at);
  if (::mount("tmpfs", at.c_str(), "tmpfs", 0, "size=1m") != 0) GTEST_SKIP() << "mounting a tmpfs needs root";
  crashAfterAnEdit(f, "ro/a.bin", 0);
  ASSERT_EQ(::mount(nullptr, at.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
  f.messages.answer(kButtonYes);
  f.document.setPath(f.dir.u16("ro/a.bin"));
  EXPECT_FALSE(f.document.openDocument());
  EXPECT_EQ(f.messages.shown().back().text, u"File " + f.dir.u16("ro/a.bin") + u" open error (30).");
  ASSERT_EQ(::mount(nullptr, at.c_str(), nullptr, MS_REMOUNT, nullptr), 0);
  f.messages.clear();
  f.messages.answer(kButtonYes);
  f.document.setPath(f.dir.u16("ro/a.bin"));
  ASSERT_TRUE(f.document.openDocument());
  EXPECT_EQ(f.document.changeLog().count(), 1u);
  f.document.close();
  ::umount2(at.c_str(), MNT_DETACH);
}

TEST(Recovery, AJournalThatCannotBeMadeIsReported) {
  // The work folder path is taken by a file, then the journal's own file cannot be made.
  for (bool folderTaken : {true, false}) {
    DocumentFixture f;
    if (folderTaken) writeFile(f.dir.file("work"), std::string("x"));
    int status = inChild([&] {
      if (!folderTaken) {
        test::CallPlan plan;
        plan.only = "fchmod";
        plan.failFrom = 1;
        plan.failError = ENOSPC;
        test::planCalls(plan);
      }
      if (!f.open("a.bin", kOld, 0)) return 1;
      test::stopCounting();
      if (!f.document.hasUnreportedJournalError() || !f.document.checkJournal()) return 2;
      std::u16string expected = u"Changes to " + f.dir.u16("a.bin") +
                                u" can no longer be recorded for recovery after a crash (error " +
                                (folderTaken ? u"20" : u"28") + u" in the work folder " + f.dir.u16("work") +
                                u"). They are still in the document: save or close it soon.";
      return f.messages.shown().size() == 1 && f.messages.shown()[0].text == expected ? 0 : 3;
    });
    EXPECT_EQ(status, 0) << (folderTaken ? "folder taken" : "journal not made");
  }
}

TEST(Recovery, APlantedJournalNeverReachesAFileOutsideTheWorkFolder) {
  DocumentFixture f;
  fs::create_directory(f.dir.file("work"));
  ::chmod(f.dir.file("work").c_str(), 0700);
  writeFile(f.dir.file("victim.bin"), std::string("precious"));
  writeFile(f.dir.file("a.bin"), kOld);
  {
    FileIdentity source;
    identityOf(-1, f.dir.file("a.bin"), source);
    EditJournal planted;
    ASSERT_EQ(planted.create(f.dir.file("work/nbt1234ABCD.jnl"), JournalMode::TemporaryCopy, f.dir.file("a.bin"),
                             f.dir.file("victim.bin"), source), 0);
    planted.changeAppended({0, 0x11, 0x22});
    planted.release();
  }
  WorkFolderReport report = cleanUpWorkFolder(f.settings);
  EXPECT_EQ(report.setAside.size(), 1u);
  for (int answer : {kButtonNo, kButtonYes}) {
    f.messages.clear();
    f.messages.answer(answer);
    f.settings.openMode = 1;
    f.document.setPath(f.dir.u16("a.bin"));
    ASSERT_TRUE(f.document.openDocument());
    EXPECT_TRUE(f.messages.shown().empty());
    EXPECT_EQ(f.document.bytes()[0], 0x11);
    f.document.close();
  }
  EXPECT_EQ(readFile(f.dir.file("victim.bin")), (std::vector<std::uint8_t>{'p', 'r', 'e', 'c', 'i', 'o', 'u', 's'}));
}

TEST(Recovery, UnreadableJournalsAreSetAsideWithTheirCopiesAndToldOnce) {
  DocumentFixture f;
  crashAfterAnEdit(f, "a.bin", 1);
  std::string journal, copy;
  for (const auto& e : fs::directory_iterator(f.dir.file("work"))) {
    if (e.path().extension() == ".jnl") journal = e.path();
    if (e.path().extension() == ".tmp") copy = e.path();
  }
  ASSERT_FALSE(journal.empty());
  ASSERT_FALSE(copy.empty());
  {
    // One flipped bit in the header.
    int fd = ::open(journal.c_str(), O_RDWR);
    std::uint8_t byte = 0;
    ASSERT_EQ(::pread(fd, &byte, 1, 20), 1);
    byte ^= 0x04;
    ASSERT_EQ(::pwrite(fd, &byte, 1, 20), 1);
    ::close(fd);
  }
  // A huge file named like a journal is refused by its size, without being read.
  std::string huge = f.dir.file("work/nbt0000DEADBEEF.jnl");
  writeFile(huge, std::string("NBTEDIT2"));
  ASSERT_EQ(::truncate(huge.c_str(), std::int64_t{3} << 30), 0);

  for (int start = 0; start < 2; ++start) {
    f.messages.clear();
    tellWorkFolderReport(cleanUpWorkFolder(f.settings), f.texts, f.messages);
    if (start == 0) {
      ASSERT_EQ(f.messages.shown().size(), 1u);
      EXPECT_EQ(f.messages.shown()[0].text,
                u"The work folder " + f.dir.u16("work") +
                    u" held 2 record(s) of changes that could not be read. They were set aside with their copies, "
                    u"under names ending in \".damaged\"; nothing was deleted.");
    } else {
      EXPECT_TRUE(f.messages.shown().empty());
    }
  }
  EXPECT_TRUE(exists(journal + ".damaged"));
  EXPECT_TRUE(exists(copy + ".damaged"));
  EXPECT_TRUE(exists(huge + ".damaged"));
  EXPECT_FALSE(exists(journal));
}

TEST(Recovery, ASecondProgramOnTheSpotIsWarnedAndMayTakeACopyOrOnlyLook) {
  DocumentFixture f;
  writeFile(f.dir.file("a.bin"), kOld);
  int ready[2], done[2];
  ASSERT_EQ(::pipe(ready), 0);
  ASSERT_EQ(::pipe(done), 0);
  pid_t first = ::fork();
  if (first == 0) {
    f.document.setPath(f.dir.u16("a.bin"));
    char c = f.document.openDocument() ? 'y' : 'n';
    if (::write(ready[1], &c, 1) != 1 || ::read(done[0], &c, 1) != 1) ::_exit(1);
    ::_exit(0);
  }
  char c = 0;
  ASSERT_EQ(::read(ready[0], &c, 1), 1);
  ASSERT_EQ(c, 'y');
  const std::u16string warning = f.dir.u16("a.bin") +
                                 u" is open on the spot in another running Nibblet: changes made in both would overwrite "
                                 u"each other. Yes opens it as a temporary copy, No shows it read-only, Cancel leaves it closed.";
  for (int answer : {kButtonCancel, kButtonNo, kButtonYes}) {
    f.messages.clear();
    f.messages.answer(answer);
    f.document.setPath(f.dir.u16("a.bin"));
    EXPECT_EQ(f.document.openDocument(), answer != kButtonCancel);
    EXPECT_EQ(textsOf(f.messages), std::vector<std::u16string>{warning});
    EXPECT_EQ(f.document.isTemporaryCopy(), answer == kButtonYes);
    EXPECT_EQ(f.document.isReadOnly(), answer == kButtonNo);
    if (answer == kButtonNo) {
      // A look only: every edit is refused with a word, no journal is made, and the file keeps
      // what the first program writes into it.
      f.messages.clear();
      EXPECT_FALSE(f.document.changeLog().mayWrite());
      ASSERT_EQ(f.messages.shown().size(), 1u);
      EXPECT_NE(f.messages.shown()[0].text.find(u"is shown read-only"), std::u16string::npos);
      EXPECT_EQ(f.window.title, u"a.bin (read-only)");
      EXPECT_TRUE(f.document.close());
      EXPECT_EQ(readFile(f.dir.file("a.bin")), kOld);
    }
  }
  f.document.close();
  ASSERT_EQ(::write(done[1], "x", 1), 1);
  ::waitpid(first, nullptr, 0);
  // Once the first program is gone, no warning.
  f.messages.clear();
  f.document.setPath(f.dir.u16("a.bin"));
  EXPECT_TRUE(f.document.openDocument());
  EXPECT_TRUE(f.messages.shown().empty());
}

}  // namespace
}  // namespace nibblet
