// The user's file survives the editor: kills at any moment of save, open and recovery, a full
// disk, links and other users' files, a hostile work folder, a file shortened under the mapping,
// and the recovery of what a crashed run left behind.

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>

#include <gtest/gtest.h>

#include "core/document/work_folder.h"
#include "core/platform/unicode.h"
#include "support/child_process.h"
#include "support/document_fixture.h"
#include "support/kill_points.h"

namespace nibblet {
namespace {

namespace fs = std::filesystem;
using test::DocumentFixture;
using test::exists;
using test::inChild;
using test::readFile;
using test::writeFile;

std::vector<std::uint8_t> pattern(std::size_t size, std::uint8_t seed) {
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 31 + seed);
  return bytes;
}

// The program's own helper files, save journals and the old content they keep, in `folder`.
std::vector<std::string> helpersIn(const std::string& folder) {
  std::vector<std::string> found;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(folder, ec)) {
    std::string name = e.path().filename().string();
    if (name.ends_with(".part") || (name.starts_with("nbs") && (name.ends_with(".jnl") || name.ends_with(".old"))))
      found.push_back(name);
  }
  return found;
}

// Writes `bytes` into the existing file in place and gives it back its modification time, so the
// open document still takes it for the file it opened.
void restoreInPlace(const std::string& path, const std::vector<std::uint8_t>& bytes, const struct stat& times) {
  int fd = ::open(path.c_str(), O_WRONLY);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::pwrite(fd, bytes.data(), bytes.size(), 0), static_cast<ssize_t>(bytes.size()));
  struct timespec t[2] = {times.st_atim, times.st_mtim};
  ::futimens(fd, t);
  ::close(fd);
}

const std::u16string& questionText(const ScriptedMessageBox& box, std::size_t i) { return box.shown().at(i).text; }

TEST(CrashSafety, KillsAtEveryStepOfASaveAndOfItsFinishLeaveOldOrNewInFullWithLinksKept) {
  // Ranges of changed bytes, then a whole save of a file another program changed meanwhile.
  for (bool whole : {false, true}) {
    DocumentFixture f;
    std::vector<std::uint8_t> old = pattern(2 << 20, 1);
    writeFile(f.dir.file("a.bin"), old);
    fs::create_symlink(f.dir.file("a.bin"), f.dir.file("link.bin"));
    fs::create_hard_link(f.dir.file("a.bin"), f.dir.file("hard.bin"));
    f.settings.openMode = 1;
    f.document.setPath(f.dir.u16("link.bin"));
    ASSERT_TRUE(f.document.openDocument());
    std::vector<std::uint8_t> fresh = old;
    for (std::uint32_t i = 0; i < fresh.size(); i += 1024) {
      fresh[i] = static_cast<std::uint8_t>(~old[i]);
      f.edit(i, fresh[i]);
    }
    if (whole) {
      old[5] ^= 0xFF;
      writeFile(f.dir.file("a.bin"), old);
    }
    struct stat original;
    ASSERT_EQ(::stat(f.dir.file("a.bin").c_str(), &original), 0);
    auto save = [&] {
      f.messages.answer(kButtonYes);  // overwrite the changed file
      f.document.save(false);
    };
    std::string work = f.dir.file("work");
    int total = test::callsMadeBy(save);
    restoreInPlace(f.dir.file("a.bin"), old, original);
    ASSERT_GT(total, 10);
    // How many steps finishing a save takes: measured on a save stopped before its last steps.
    test::killedAtCall(total - 3, false, save);
    int finishing = test::callsMadeBy([&] { cleanUpWorkFolder(f.settings); });
    restoreInPlace(f.dir.file("a.bin"), old, original);
    ASSERT_GT(finishing, 3);

    int sawOld = 0, sawNew = 0, finishesKilled = 0, round = 0;
    std::vector<int> finishPoints = test::killPoints(finishing, 12);
    for (int n : test::killPoints(total, 26)) {
      for (bool tear : {false, true}) {
        ++round;
        ASSERT_TRUE(test::killedAtCall(n, tear, save)) << n;
        bool journalLeft = false;
        for (const std::string& name : helpersIn(work)) journalLeft |= name.starts_with("nbs") && name.ends_with(".jnl");
        // Now and then the next start dies too, while it finishes the save.
        if (journalLeft && round % 2 == 0) {
          int m = finishPoints[static_cast<std::size_t>(round / 2) % finishPoints.size()];
          finishesKilled += test::killedAtCall(m, tear, [&] { cleanUpWorkFolder(f.settings); });
        }
        cleanUpWorkFolder(f.settings);
        std::vector<std::uint8_t> now = readFile(f.dir.file("a.bin"));
        ASSERT_TRUE(now == old || now == fresh) << "kill at call " << n << " of " << total;
        if (journalLeft) {
          ASSERT_EQ(now, fresh) << "kill at call " << n << ": a complete journal rolls forward";
        }
        (now == old ? sawOld : sawNew)++;
        ASSERT_TRUE(helpersIn(work).empty()) << "kill at call " << n;
        ASSERT_TRUE(helpersIn(f.dir.path()).empty()) << "kill at call " << n;
        struct stat st;
        ASSERT_EQ(::stat(f.dir.file("hard.bin").c_str(), &st), 0);
        ASSERT_EQ(st.st_ino, original.st_ino);
        ASSERT_EQ(st.st_nlink, 2u);
        ASSERT_TRUE(fs::is_symlink(f.dir.file("link.bin")));
        restoreInPlace(f.dir.file("a.bin"), old, original);
      }
    }
    EXPECT_GT(sawOld, 0);
    EXPECT_GT(sawNew, 0);
    EXPECT_GT(finishesKilled, 0);
  }
}

TEST(CrashSafety, KillsAtEveryStepOfAnOpenWithBackupAndCopyLeaveNoHelperAfterTheNextStart) {
  DocumentFixture f;
  std::vector<std::uint8_t> bytes = pattern(6 << 20, 7);
  writeFile(f.dir.file("a.bin"), bytes);
  setText(f.settings.backupPath, f.dir.u16("bak/"));
  f.settings.openMode = 1;
  auto open = [&] {
    f.document.setPath(f.dir.u16("a.bin"));
    f.document.openDocument();
  };
  int total = test::callsMadeBy(open);
  cleanUpWorkFolder(f.settings);
  fs::remove_all(f.dir.file("bak"));
  ASSERT_GT(total, 5);
  for (int n : test::killPoints(total, 30)) {
    ASSERT_TRUE(test::killedAtCall(n, /*tear=*/n % 2 == 0, open)) << n;
    cleanUpWorkFolder(f.settings);
    ASSERT_TRUE(helpersIn(f.dir.file("work")).empty()) << "kill at call " << n;
    ASSERT_TRUE(helpersIn(f.dir.file("bak")).empty()) << "kill at call " << n;
    // No copy without something to recover in it, and a backup only whole.
    std::error_code none;  // a run killed early never made the folder
    for (const auto& e : fs::directory_iterator(f.dir.file("work"), none))
      ADD_FAILURE() << e.path() << " left by a kill at call " << n;
    if (exists(f.dir.file("bak/a.bin.bak"))) {
      ASSERT_EQ(readFile(f.dir.file("bak/a.bin.bak")), bytes);
    }
    ASSERT_EQ(readFile(f.dir.file("a.bin")), bytes);
  }
}

// A small file system that can be filled: tmpfs, mounted for the test (root only).
class SmallDisk {
 public:
  explicit SmallDisk(const std::string& at) : m_at(at) {
    fs::create_directory(at);
    m_mounted = ::mount("tmpfs", at.c_str(), "tmpfs", 0, "size=512k,mode=0700") == 0;
  }
  ~SmallDisk() {
    if (m_mounted) ::umount2(m_at.c_str(), MNT_DETACH);
  }
  bool mounted() const { return m_mounted; }
  // Fills what is left with one file.
  void fill() {
    int fd = ::open((m_at + "/filler").c_str(), O_WRONLY | O_CREAT, 0600);
    std::vector<char> block(4096, 'f');
    while (::write(fd, block.data(), block.size()) > 0) {
    }
    ::close(fd);
  }
  void free() { ::unlink((m_at + "/filler").c_str()); }

 private:
  std::string m_at;
  bool m_mounted = false;
};

TEST(FullDisk, AFailedSaveAtCloseKeepsTheDocumentAndItsCopy) {
  DocumentFixture f;
  SmallDisk disk(f.dir.file("small"));
  if (!disk.mounted()) GTEST_SKIP() << "mounting a tmpfs needs root";
  setText(f.settings.workPath, f.dir.u16("small/work"));
  std::vector<std::uint8_t> old = pattern(64 * 1024, 3);
  ASSERT_TRUE(f.open("a.bin", old, 1));
  f.edit(100, 0xEE);
  disk.fill();

  f.messages.answer(kButtonYes);
  EXPECT_FALSE(f.document.close());
  ASSERT_EQ(f.messages.shown().size(), 2u);
  // The work folder is what is full; the user's file was not touched.
  EXPECT_EQ(questionText(f.messages, 1), u"Error 28 in the work folder " + f.dir.u16("small/work") + u", so " +
                                             f.dir.u16("a.bin") + u" was not saved. The changes are still in the document.");
  EXPECT_TRUE(f.document.isOpen());
  EXPECT_TRUE(exists(toUtf8(f.document.path())));
  EXPECT_EQ(readFile(f.dir.file("a.bin")), old);
  EXPECT_EQ(f.document.bytes()[100], 0xEE);

  // Room again: the same Close saves and closes.
  disk.free();
  f.messages.clear();
  f.messages.answer(kButtonYes);
  std::u16string copy = f.document.path();
  EXPECT_TRUE(f.document.close());
  EXPECT_EQ(readFile(f.dir.file("a.bin"))[100], 0xEE);
  EXPECT_FALSE(exists(toUtf8(copy)));
}

TEST(FullDisk, AWholeSaveThatFailsPutsTheOldContentBack) {
  DocumentFixture f;
  SmallDisk disk(f.dir.file("small"));
  if (!disk.mounted()) GTEST_SKIP() << "mounting a tmpfs needs root";
  std::vector<std::uint8_t> old = pattern(200 * 1024, 4);
  writeFile(f.dir.file("small/a.bin"), old);
  f.settings.openMode = 1;
  f.document.setPath(f.dir.u16("small/a.bin"));
  ASSERT_TRUE(f.document.openDocument());
  f.edit(7, 0x77);
  // Another program shrinks the file; the disk then fills, so writing it whole again fails.
  const std::vector<std::uint8_t> shrunk(1000, 1);
  writeFile(f.dir.file("small/a.bin"), shrunk);
  disk.fill();
  f.messages.answer(kButtonYes);  // overwrite it
  EXPECT_FALSE(f.document.save(false));
  EXPECT_EQ(f.messages.shown().back().text, u"Error 28 with file " + f.dir.u16("small/a.bin") + u".");
  EXPECT_EQ(readFile(f.dir.file("small/a.bin")), shrunk);
  EXPECT_TRUE(f.document.isOpen());
  // Room again: the same save goes through.
  disk.free();
  f.messages.clear();
  f.messages.answer(kButtonYes);
  EXPECT_TRUE(f.document.save(false));
  std::vector<std::uint8_t> expected = old;
  expected[7] = 0x77;
  EXPECT_EQ(readFile(f.dir.file("small/a.bin")), expected);
}

TEST(FullDisk, AJournalThatCanNoLongerBeWrittenIsReportedOnce) {
  DocumentFixture f;
  SmallDisk disk(f.dir.file("small"));
  if (!disk.mounted()) GTEST_SKIP() << "mounting a tmpfs needs root";
  setText(f.settings.workPath, f.dir.u16("small/work"));
  ASSERT_TRUE(f.open("a.bin", pattern(4096, 1), 0));
  EXPECT_FALSE(f.document.checkJournal());
  disk.fill();
  // Each record takes a block of its own once the journal's first block is full.
  for (std::uint32_t i = 0; i < 1024; ++i) f.edit(i, 0xAA);
  EXPECT_TRUE(f.document.hasUnreportedJournalError());
  EXPECT_TRUE(f.document.checkJournal());
  EXPECT_FALSE(f.document.checkJournal());
  ASSERT_EQ(f.messages.shown().size(), 1u);
  EXPECT_EQ(questionText(f.messages, 0),
            u"Changes to " + f.dir.u16("a.bin") +
                u" can no longer be recorded for recovery after a crash (error 28 in the work folder " +
                f.dir.u16("small/work") + u"). They are still in the document: save or close it soon.");
  // The edits themselves are in the file, and Undo still works.
  EXPECT_EQ(readFile(f.dir.file("a.bin"))[1000], 0xAA);
  f.document.undo();
  EXPECT_EQ(readFile(f.dir.file("a.bin"))[1023], pattern(4096, 1)[1023]);
  disk.free();
  f.messages.answer(kButtonYes);
  EXPECT_TRUE(f.document.close());
}

TEST(Close, AnUndoAfterASaveIsAskedAboutAndSaved) {
  DocumentFixture f;
  ASSERT_TRUE(f.open("a.bin", {1, 2, 3, 4}, 1));
  f.edit(0, 9);
  ASSERT_TRUE(f.document.save(false));
  f.document.undo();
  EXPECT_TRUE(f.document.changeLog().isEmpty());
  f.messages.clear();
  f.messages.answer(kButtonYes);
  EXPECT_TRUE(f.document.close());
  EXPECT_EQ(questionText(f.messages, 0), u"Save changes?");
  EXPECT_EQ(readFile(f.dir.file("a.bin")), (std::vector<std::uint8_t>{1, 2, 3, 4}));
  // Before any save, an edit taken back leaves nothing to ask about.
  ASSERT_TRUE(f.open("a.bin", {1, 2, 3, 4}, 1));
  f.edit(0, 9);
  f.document.undo();
  f.messages.clear();
  EXPECT_TRUE(f.document.close());
  EXPECT_TRUE(f.messages.shown().empty());
}

TEST(SaveTarget, LinksOwnersAndModesStayTheSameFile) {
  DocumentFixture f;
  writeFile(f.dir.file("t.bin"), pattern(10000, 5));
  fs::create_symlink(f.dir.file("t.bin"), f.dir.file("s.bin"));
  fs::create_hard_link(f.dir.file("t.bin"), f.dir.file("h.bin"));
  struct stat before, after;
  ASSERT_EQ(::stat(f.dir.file("t.bin").c_str(), &before), 0);
  f.settings.openMode = 1;
  f.document.setPath(f.dir.u16("s.bin"));
  ASSERT_TRUE(f.document.openDocument());
  f.edit(9999, 0x5A);
  ASSERT_TRUE(f.document.save(false));
  EXPECT_TRUE(fs::is_symlink(f.dir.file("s.bin")));
  ASSERT_EQ(::stat(f.dir.file("t.bin").c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_nlink, 2u);
  EXPECT_EQ(readFile(f.dir.file("h.bin"))[9999], 0x5A);
  f.document.close();

  if (::geteuid() != 0) GTEST_SKIP() << "files of another owner need root to set up";
  // Root's files, world-writable, one of them setuid; saved by an unprivileged user.
  ASSERT_EQ(::chmod(f.dir.path().c_str(), 0755), 0);
  writeFile(f.dir.file("o.bin"), pattern(5000, 9));
  writeFile(f.dir.file("u.bin"), pattern(5000, 9));
  ASSERT_EQ(::chmod(f.dir.file("o.bin").c_str(), 0666), 0);
  ASSERT_EQ(::chmod(f.dir.file("u.bin").c_str(), 04777), 0);
  int status = inChild([&] {
    if (!test::becomeNobody()) return 3;
    for (const char* name : {"o.bin", "u.bin"}) {
      DocumentFixture g;  // its own private work folder
      g.settings.openMode = 1;
      g.document.setPath(f.dir.u16(name));
      if (!g.document.openDocument()) return 4;
      g.edit(1, 0x11);
      if (!g.document.save(false)) return 5;
      g.document.close();
    }
    return 0;
  });
  ASSERT_EQ(status, 0);
  for (const char* name : {"o.bin", "u.bin"}) {
    struct stat st;
    ASSERT_EQ(::stat(f.dir.file(name).c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 0u) << name;
    EXPECT_EQ(st.st_gid, 0u) << name;
    EXPECT_EQ(readFile(f.dir.file(name))[1], 0x11) << name;
  }
  struct stat st;
  ASSERT_EQ(::stat(f.dir.file("o.bin").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0666u);
}

TEST(WorkFolder, OnlyAPrivateFolderHoldsCopies) {
  DocumentFixture f;
  std::string work = f.dir.file("work");
  fs::create_directory(work);
  const std::u16string refused =
      u"The work folder " + f.dir.u16("work") +
      u" can be changed by other users; it is not used. Choose a private work folder in the settings.";

  ASSERT_EQ(::chmod(work.c_str(), 0777), 0);
  EXPECT_FALSE(f.open("a.bin", {1, 2, 3}, 1));
  ASSERT_EQ(f.messages.shown().size(), 1u);
  EXPECT_EQ(questionText(f.messages, 0), refused);
  EXPECT_TRUE(fs::is_empty(work));
  EXPECT_EQ(f.window.title, u"Nibblet");

  // The sticky bit keeps other users off this user's names.
  ASSERT_EQ(::chmod(work.c_str(), 01777), 0);
  EXPECT_TRUE(f.open("a.bin", {1, 2, 3}, 1));
  f.document.close();

  if (::geteuid() != 0) return;
  ASSERT_EQ(::chmod(work.c_str(), 0700), 0);
  ASSERT_EQ(::chown(work.c_str(), 65534, 65534), 0);
  f.messages.clear();
  EXPECT_FALSE(f.open("a.bin", {1, 2, 3}, 1));
  EXPECT_EQ(questionText(f.messages, 0), refused);

  // In a private folder an unprivileged process cannot plant a link at the copy's name.
  ASSERT_EQ(::chown(work.c_str(), 0, 0), 0);
  ASSERT_EQ(::chmod(f.dir.path().c_str(), 0755), 0);
  writeFile(f.dir.file("canary"), std::string("canary"));
  ASSERT_TRUE(f.open("a.bin", {1, 2, 3}, 1));
  std::string copy = toUtf8(f.document.path());
  int status = inChild([&] {
    if (!test::becomeNobody()) return 3;
    ::unlink(copy.c_str());
    return ::symlink(f.dir.file("canary").c_str(), copy.c_str()) == 0 ? 1 : 0;
  });
  EXPECT_EQ(status, 0);
  f.edit(0, 0x77);
  EXPECT_EQ(readFile(f.dir.file("canary")), (std::vector<std::uint8_t>{'c', 'a', 'n', 'a', 'r', 'y'}));
  EXPECT_EQ(readFile(copy)[0], 0x77);
}

TEST(WorkFolder, EmptyOrRelativeSettingFallsBackToTheDefault) {
  DocumentFixture f;
  const char* saved = std::getenv("XDG_CACHE_HOME");
  std::string previous = saved ? saved : "";
  ::setenv("XDG_CACHE_HOME", f.dir.file("cache").c_str(), 1);
  for (const char16_t* setting : {u"", u"relative/work"}) {
    setText(f.settings.workPath, setting);
    ASSERT_TRUE(f.open("a.bin", {1, 2, 3}, 1));
    EXPECT_EQ(toUtf8(f.document.path()).rfind(f.dir.file("cache/nibblet/nbt"), 0), 0u);
    f.document.close();
  }
  EXPECT_FALSE(exists("relative"));
  if (saved) ::setenv("XDG_CACHE_HOME", previous.c_str(), 1);
  else ::unsetenv("XDG_CACHE_HOME");
}

TEST(Mapping, AFileShortenedUnderTheMappingIsReportedAndClosed) {
  for (int mode : {0, 1}) {
    for (int action = 0; action < 3; ++action) {
      DocumentFixture f;
      ASSERT_TRUE(f.open("a.bin", pattern(1 << 20, 2), mode));
      f.edit(10, 0xAB);
      std::string mapped = toUtf8(f.document.path());
      int status = inChild([&] {
        ::truncate(mapped.c_str(), 4096);
        // A read past the new end, as a paint of the last rows would do.
        volatile std::uint8_t sink = f.document.bytes()[900000];
        (void)sink;
        if (!f.document.isDamaged()) return 2;
        if (action == 0) f.document.undo();
        if (action == 1) f.document.close();
        if (action == 2) f.document.checkMapping();
        const auto& shown = f.messages.shown();
        std::u16string expected = u"File " + f.dir.u16("a.bin") +
                                  u" was shortened by another program or could not be written. The document is closed.";
        if (shown.size() != 1 || shown[0].text != expected || f.document.isOpen()) return 3;
        // A temporary copy stays for recovery; nothing is written anywhere else.
        if (mode == 1 && !exists(mapped)) return 4;
        return 0;
      });
      EXPECT_EQ(status, 0) << "mode " << mode << " action " << action;
      EXPECT_EQ(readFile(f.dir.file("a.bin"))[0], pattern(1, 2)[0]);
    }
  }
}

TEST(Recovery, ACrashedCopyIsOfferedWithItsChangesMarked) {
  for (int answer : {kButtonYes, kButtonNo}) {
    DocumentFixture f;
    std::vector<std::uint8_t> old = pattern(3000, 4);
    // The run that crashes: edits, an undo, no save.
    ASSERT_EQ(inChild([&] {
      if (!f.open("a.bin", old, 1)) return 1;
      f.edit(5, 0x55);
      f.edit(6, 0x66);
      f.edit(7, 0x77);
      f.document.undo();
      return 0;
    }), 0);

    cleanUpWorkFolder(f.settings);
    f.messages.clear();
    f.messages.answer(answer);
    f.document.setPath(f.dir.u16("a.bin"));
    ASSERT_TRUE(f.document.openDocument());
    ASSERT_GE(f.messages.shown().size(), 1u);
    EXPECT_EQ(questionText(f.messages, 0), u"Recover the unsaved changes to " + f.dir.u16("a.bin") + u"?");
    EXPECT_EQ(f.messages.shown()[0].style, kStyleQuestion);
    if (answer == kButtonYes) {
      EXPECT_EQ(f.document.changeLog().count(), 2u);
      EXPECT_EQ(f.document.bytes()[5], 0x55);
      EXPECT_EQ(f.document.bytes()[7], old[7]);
      EXPECT_EQ(f.document.sourcePath(), f.dir.u16("a.bin"));
      EXPECT_EQ(readFile(f.dir.file("a.bin")), old);
      // It saves like any copy: the file is still the one the crashed run opened.
      f.messages.clear();
      EXPECT_TRUE(f.document.save(false));
      ASSERT_EQ(f.messages.shown().size(), 1u);
      EXPECT_EQ(questionText(f.messages, 0), u"File " + f.dir.u16("a.bin") + u" saved.");
      EXPECT_EQ(readFile(f.dir.file("a.bin"))[5], 0x55);
    } else {
      EXPECT_EQ(f.document.changeLog().count(), 0u);
      EXPECT_EQ(f.document.bytes()[5], old[5]);
    }
    f.messages.clear();
    f.document.close();
    EXPECT_TRUE(fs::is_empty(f.dir.file("work")));
  }
}

TEST(Recovery, ARecoveredCopyKnowsTheFileItWasLastSavedTo) {
  for (bool changedSince : {false, true}) {
    DocumentFixture f;
    std::vector<std::uint8_t> old = pattern(1000, 5);
    ASSERT_EQ(inChild([&] {
      if (!f.open("a.bin", old, 1)) return 1;
      f.edit(1, 0x11);
      if (!f.document.save(false)) return 2;
      f.edit(2, 0x22);
      return 0;
    }), 0);
    if (changedSince) {
      writeFile(f.dir.file("a.bin"), std::vector<std::uint8_t>(1000, 0x99));
      struct timespec later[2] = {{0, UTIME_OMIT}, {std::time(nullptr) + 100, 0}};
      ::utimensat(AT_FDCWD, f.dir.file("a.bin").c_str(), later, 0);
    }
    f.messages.answer(kButtonYes);
    f.document.setPath(f.dir.u16("a.bin"));
    ASSERT_TRUE(f.document.openDocument());
    f.messages.clear();
    f.messages.answer(kButtonYes);
    EXPECT_TRUE(f.document.save(false));
    // Asked only when another program wrote the file after the crashed run's save.
    EXPECT_EQ(f.messages.shown().size(), changedSince ? 2u : 1u);
    std::vector<std::uint8_t> now = readFile(f.dir.file("a.bin"));
    EXPECT_EQ(now[1], 0x11);
    EXPECT_EQ(now[2], 0x22);
    EXPECT_EQ(now[3], old[3]);
  }
}

TEST(Recovery, UnansweredQuestionsAndTornJournalsLoseNothing) {
  DocumentFixture f;
  std::vector<std::uint8_t> old = pattern(2000, 9);
  ASSERT_EQ(inChild([&] {
    if (!f.open("a.bin", old, 1)) return 1;
    f.edit(5, 0x55);
    return 0;
  }), 0);
  // A question ended without Yes or No (the program told to quit) keeps the copy.
  f.messages.answer(0);
  f.document.setPath(f.dir.u16("a.bin"));
  EXPECT_FALSE(f.document.openDocument());
  EXPECT_FALSE(fs::is_empty(f.dir.file("work")));

  // A record torn by the crash is cut off when the journal is taken over, so the edits of the
  // run that recovered it are found by the next recovery.
  for (const auto& e : fs::directory_iterator(f.dir.file("work")))
    if (e.path().extension() == ".jnl") {
      FILE* journal = std::fopen(e.path().c_str(), "ab");
      std::fwrite("\x01\x02\x03", 1, 3, journal);
      std::fclose(journal);
    }
  ASSERT_EQ(inChild([&] {
    f.messages.answer(kButtonYes);
    f.document.setPath(f.dir.u16("a.bin"));
    if (!f.document.openDocument() || f.document.changeLog().count() != 1) return 1;
    f.edit(6, 0x66);
    return 0;
  }), 0);
  f.messages.clear();
  f.messages.answer(kButtonYes);
  f.document.setPath(f.dir.u16("a.bin"));
  ASSERT_TRUE(f.document.openDocument());
  EXPECT_EQ(f.document.changeLog().count(), 2u);
  EXPECT_EQ(f.document.bytes()[5], 0x55);
  EXPECT_EQ(f.document.bytes()[6], 0x66);
}

TEST(Recovery, KillsAtEveryStepOfTheRecoveryItselfNeverLoseTheRecoveredEdits) {
  DocumentFixture f;
  std::vector<std::uint8_t> old = pattern(2 << 20, 6);
  ASSERT_EQ(inChild([&] {
    if (!f.open("a.bin", old, 1)) return 1;
    for (std::uint32_t i = 0; i < 1000; ++i) f.edit(i * 2000, 0xE1);
    return 0;
  }), 0);
  auto recover = [&] {
    f.messages.answer(kButtonYes);
    f.document.setPath(f.dir.u16("a.bin"));
    if (f.document.openDocument()) f.edit(1, 0xE2);  // and the recovered run goes on editing
  };
  // A recovery that dies is recovered again: the counts grow with each run that gets far
  // enough to edit, so each kill point is measured on the journal as it is then.
  int killed = 0;
  for (int round = 0; round < 24; ++round) {
    int total = test::callsMadeBy([&] {
      recover();
      f.document.abandon();
    });
    ASSERT_GT(total, 0);
    int n = 1 + (total - 1) * round / 23;
    killed += test::killedAtCall(n, round % 2 == 1, recover);
    cleanUpWorkFolder(f.settings);
  }
  EXPECT_GT(killed, 12);
  f.messages.answer(kButtonYes);
  f.document.setPath(f.dir.u16("a.bin"));
  ASSERT_TRUE(f.document.openDocument());
  EXPECT_EQ(questionText(f.messages, 0), u"Recover the unsaved changes to " + f.dir.u16("a.bin") + u"?");
  ASSERT_GE(f.document.changeLog().count(), 1000u);
  for (std::uint32_t i = 0; i < 1000; ++i) ASSERT_EQ(f.document.bytes()[i * 2000], 0xE1) << i;
  EXPECT_EQ(readFile(f.dir.file("a.bin")), old);
}

TEST(Recovery, EditsMadeOnTheSpotBeforeACrashCanStillBeUndone) {
  DocumentFixture f;
  std::vector<std::uint8_t> old = pattern(3000, 8);
  ASSERT_EQ(inChild([&] {
    if (!f.open("a.bin", old, 0)) return 1;
    f.edit(1, 0x10);
    f.edit(2, 0x20);
    f.edit(1, 0x30);
    return 0;
  }), 0);
  EXPECT_EQ(readFile(f.dir.file("a.bin"))[1], 0x30);

  f.messages.answer(kButtonYes);
  f.document.setPath(f.dir.u16("a.bin"));
  ASSERT_TRUE(f.document.openDocument());
  EXPECT_EQ(questionText(f.messages, 0),
            u"The program stopped while " + f.dir.u16("a.bin") +
                u" was open on the spot. Show the 3 change(s) made then, so that they can be undone?");
  ASSERT_EQ(f.document.changeLog().count(), 3u);
  f.document.undo();
  EXPECT_EQ(readFile(f.dir.file("a.bin"))[1], 0x10);
  f.messages.answer(kButtonYes);
  f.document.undoAll();
  EXPECT_EQ(readFile(f.dir.file("a.bin")), old);
  f.document.close();
  EXPECT_TRUE(fs::is_empty(f.dir.file("work")));
}

TEST(Backup, AFailedBackupAsksWhetherToOpenAnyway) {
  DocumentFixture f;
  writeFile(f.dir.file("notafolder"), std::string("x"));
  setText(f.settings.backupPath, f.dir.u16("notafolder/"));
  f.messages.answer(kButtonNo);
  EXPECT_FALSE(f.open("a.bin", {1, 2, 3}, 0));
  ASSERT_EQ(f.messages.shown().size(), 1u);
  EXPECT_EQ(questionText(f.messages, 0), u"The backup copy of " + f.dir.u16("a.bin") +
                                             u" could not be made (error 17). Open the file anyway?");
  EXPECT_TRUE(f.document.path().empty());
  EXPECT_EQ(f.window.title, u"Nibblet");
  f.messages.answer(kButtonYes);
  EXPECT_TRUE(f.open("a.bin", {1, 2, 3}, 0));
}

TEST(Save, AFileChangedByAnotherProgramIsOverwrittenOnlyAfterAsking) {
  DocumentFixture f;
  ASSERT_TRUE(f.open("a.bin", {1, 2, 3, 4}, 1));
  f.edit(0, 0x42);
  // Another program writes the file, then another replaces it with a new file of another size.
  writeFile(f.dir.file("a.bin"), std::vector<std::uint8_t>{9, 9, 9, 9});
  struct timespec later[2] = {{0, UTIME_OMIT}, {std::time(nullptr) + 100, 0}};
  ::utimensat(AT_FDCWD, f.dir.file("a.bin").c_str(), later, 0);
  EXPECT_FALSE(f.document.save(false));
  EXPECT_EQ(questionText(f.messages, 0),
            f.dir.u16("a.bin") + u" was changed by another program since it was opened. Overwrite it?");
  EXPECT_EQ(readFile(f.dir.file("a.bin")), (std::vector<std::uint8_t>{9, 9, 9, 9}));

  writeFile(f.dir.file("b.tmp"), std::vector<std::uint8_t>{7, 7, 7, 7, 7, 7});
  fs::rename(f.dir.file("b.tmp"), f.dir.file("a.bin"));
  f.messages.clear();
  f.messages.answer(kButtonYes);
  EXPECT_TRUE(f.document.save(false));
  EXPECT_EQ(readFile(f.dir.file("a.bin")), (std::vector<std::uint8_t>{0x42, 2, 3, 4}));
  // Saved, the file is the known one again: no question the next time.
  f.edit(1, 0x43);
  f.messages.clear();
  EXPECT_TRUE(f.document.save(false));
  EXPECT_EQ(f.messages.shown().size(), 1u);
  EXPECT_TRUE(helpersIn(f.dir.file("work")).empty());
}

TEST(LongNames, A250ByteNameOpensSavesAndGetsABackup) {
  DocumentFixture f;
  std::string name;
  for (int i = 0; i < 125; ++i) name += "\xC3\xA9";  // 125 characters, 250 bytes
  setText(f.settings.backupPath, f.dir.u16("bak"));
  ASSERT_TRUE(f.open(name, {1, 2, 3}, 1));
  f.edit(2, 0x33);
  EXPECT_TRUE(f.document.save(false));
  EXPECT_EQ(readFile(f.dir.file(name))[2], 0x33);
  EXPECT_EQ(readFile(f.dir.file("bak/" + name + ".bak")), (std::vector<std::uint8_t>{1, 2, 3}));
  EXPECT_TRUE(helpersIn(f.dir.path()).empty());
}

TEST(Helpers, TheNextStartRemovesWhatDeadProcessesLeftAndNothingElse) {
  DocumentFixture f;
  std::string work = f.dir.file("work");
  fs::create_directory(work);
  auto aged = [](const std::string& path) {
    writeFile(path, std::string("x"));
    struct timespec old[2] = {{1000, 0}, {1000, 0}};
    ::utimensat(AT_FDCWD, path.c_str(), old, 0);
  };
  aged(work + "/.nbt0000ABCD12345678.part");
  aged(work + "/.nbt0000ABCD87654321.part");
  aged(work + "/.nbt-other.part");
  aged(work + "/nbt1234ABCD.tmp");  // a copy no journal names
  int held = ::open((work + "/.nbt0000ABCD87654321.part").c_str(), O_RDONLY);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);
  // A crashed copy with something to recover stays for its file's next open.
  ASSERT_TRUE(f.open("a.bin", {1, 2, 3}, 1));
  std::u16string copy = f.document.path();
  f.edit(0, 9);
  f.document.abandon();

  cleanUpWorkFolder(f.settings);
  EXPECT_FALSE(exists(work + "/.nbt0000ABCD12345678.part"));
  EXPECT_TRUE(exists(work + "/.nbt0000ABCD87654321.part"));
  EXPECT_TRUE(exists(work + "/.nbt-other.part"));
  EXPECT_FALSE(exists(work + "/nbt1234ABCD.tmp"));
  EXPECT_TRUE(exists(toUtf8(copy)));
  EXPECT_TRUE(exists(toUtf8(HexDocument::journalName(copy))));
  ::close(held);
}

}  // namespace
}  // namespace nibblet
