#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "core/platform/unicode.h"
#include "support/document_fixture.h"
#include "support/system_calls.h"

namespace nibblet {
namespace {

using test::DocumentFixture;
using test::exists;
using test::readFile;
using test::writeFile;

const std::vector<std::uint8_t> kBytes = {1, 2, 3, 4, 5, 6, 7, 8};

TEST(OpenModes, OnTheSpotEditsReachTheFileAtOnce) {
  DocumentFixture f;
  ASSERT_TRUE(f.open("a.bin", kBytes, 0));
  EXPECT_EQ(f.window.title, u"a.bin");
  EXPECT_FALSE(f.window.saveEnabled);
  EXPECT_TRUE(f.document.sourcePath().empty());
  EXPECT_EQ(f.document.size(), 8u);
  f.edit(0, 0xAA);
  EXPECT_EQ(readFile(f.dir.file("a.bin"))[0], 0xAA);
  EXPECT_EQ(f.recentFiles.entry(0), f.dir.u16("a.bin"));
  EXPECT_TRUE(f.messages.shown().empty());
}

TEST(OpenModes, TemporaryCopyEditsOnlyTheCopy) {
  DocumentFixture f;
  ASSERT_TRUE(f.open("a.bin", kBytes, 1));
  EXPECT_TRUE(f.window.saveEnabled);
  EXPECT_EQ(f.window.title, u"a.bin");
  EXPECT_EQ(f.document.sourcePath(), f.dir.u16("a.bin"));
  EXPECT_EQ(f.document.path(), HexDocument::temporaryCopyName(f.dir.u16("work"), 0x2C, f.dir.u16("a.bin")));
  f.edit(1, 0xBB);
  EXPECT_EQ(readFile(f.dir.file("a.bin")), kBytes);
  EXPECT_EQ(readFile(toUtf8(f.document.path()))[1], 0xBB);
  // The recent files name the user's file, never the copy.
  EXPECT_EQ(f.recentFiles.entry(0), f.dir.u16("a.bin"));
  // The work folder and the copy are private to the user.
  struct stat st;
  ASSERT_EQ(::stat(f.dir.file("work").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  ASSERT_EQ(::stat(toUtf8(f.document.path()).c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(OpenModes, EmptyFileFolderAndMissingPathOpenNothingSilently) {
  DocumentFixture f;
  std::filesystem::create_directory(f.dir.file("folder"));
  writeFile(f.dir.file("empty.bin"), std::vector<std::uint8_t>{});
  for (const char* name : {"empty.bin", "folder", "missing.bin"}) {
    f.document.setPath(f.dir.u16(name));
    EXPECT_FALSE(f.document.openDocument()) << name;
    EXPECT_FALSE(f.document.isOpen()) << name;
    EXPECT_EQ(f.document.path(), f.dir.u16(name)) << "a refused path stays until Close";
  }
  EXPECT_TRUE(f.messages.shown().empty());
  EXPECT_EQ(f.window.opened, 0);
  EXPECT_EQ(f.recentFiles.entry(0), u"");
}

TEST(OpenModes, OpenErrorsShowTheExactTextAndCode) {
  DocumentFixture f;
  // A file of 4 GiB does not fit the 32-bit size: refused, never shown modulo 4 GiB.
  std::string big = f.dir.file("big.bin");
  { std::ofstream(big).put('x'); }
  ASSERT_EQ(::truncate(big.c_str(), 0x100000000LL), 0);
  f.document.setPath(f.dir.u16("big.bin"));
  EXPECT_FALSE(f.document.openDocument());
  ASSERT_EQ(f.messages.shown().size(), 1u);
  EXPECT_EQ(f.messages.shown()[0].caption, u"Error");
  EXPECT_EQ(f.messages.shown()[0].style, kStyleError);
  EXPECT_EQ(f.messages.shown()[0].text,
            u"File " + f.dir.u16("big.bin") + u" open error (" + fromAscii(std::to_string(EOVERFLOW)) + u").");
  EXPECT_TRUE(f.document.path().empty());

  // A work folder that is a file: the copy fails and names the user's file.
  f.messages.clear();
  writeFile(f.dir.file("work"), std::string("not a folder"));
  EXPECT_FALSE(f.open("a.bin", kBytes, 1));
  ASSERT_EQ(f.messages.shown().size(), 1u);
  EXPECT_EQ(f.messages.shown()[0].text,
            u"File " + f.dir.u16("a.bin") + u" open error (" + fromAscii(std::to_string(ENOTDIR)) + u").");
  EXPECT_TRUE(f.document.path().empty());
  EXPECT_TRUE(f.document.sourcePath().empty());
  EXPECT_EQ(f.window.title, u"Nibblet");
}

TEST(OpenModes, OverlongPathsAreRefusedNotCut) {
  DocumentFixture f;
  // A work folder whose copy name would pass 259 characters.
  std::u16string deep = f.dir.u16(std::string(250, 'w'));
  setText(f.settings.workPath, deep);
  EXPECT_FALSE(f.open("a.bin", kBytes, 1));
  ASSERT_EQ(f.messages.shown().size(), 1u);
  EXPECT_NE(f.messages.shown()[0].text.find(u"(" + fromAscii(std::to_string(ENAMETOOLONG)) + u")"),
            std::u16string::npos);
  EXPECT_FALSE(f.document.isOpen());
}

TEST(OpenModes, BackupIsMadeAndTheFolderSettingGetsItsSeparator) {
  DocumentFixture f;
  setText(f.settings.backupPath, f.dir.u16("Backup/deeper"));
  ASSERT_TRUE(f.open("a.bin", kBytes, 0));
  EXPECT_EQ(readFile(f.dir.file("Backup/deeper/a.bin.bak")), kBytes);
  EXPECT_EQ(textOf(f.settings.backupPath), f.dir.u16("Backup/deeper/"));
  f.document.close();

  // The same name from another folder shares the backup file.
  std::filesystem::create_directory(f.dir.file("other"));
  ASSERT_TRUE(f.open("other/a.bin", {9, 9}, 0));
  EXPECT_EQ(readFile(f.dir.file("Backup/deeper/a.bin.bak")), (std::vector<std::uint8_t>{9, 9}));
}

TEST(OpenModes, PlantedLinksNeverRedirectTheCopyOrTheBackup) {
  DocumentFixture f;
  writeFile(f.dir.file("canary"), std::string("canary"));
  std::filesystem::create_directory(f.dir.file("work"));
  std::u16string copy = HexDocument::temporaryCopyName(f.dir.u16("work"), 0x2C, f.dir.u16("a.bin"));
  std::filesystem::create_symlink(f.dir.file("canary"), toUtf8(copy));
  setText(f.settings.backupPath, f.dir.u16("bak/"));
  std::filesystem::create_directory(f.dir.file("bak"));
  std::filesystem::create_symlink(f.dir.file("canary"), f.dir.file("bak/a.bin.bak"));

  ASSERT_TRUE(f.open("a.bin", kBytes, 1));
  f.edit(0, 0x77);
  EXPECT_EQ(readFile(f.dir.file("canary")), (std::vector<std::uint8_t>{'c', 'a', 'n', 'a', 'r', 'y'}));
  EXPECT_FALSE(std::filesystem::is_symlink(toUtf8(copy)));
  EXPECT_EQ(readFile(f.dir.file("bak/a.bin.bak")), kBytes);
}

TEST(OpenModes, OpeningTheSameFileTwiceReusesTheCopyName) {
  DocumentFixture f;
  ASSERT_TRUE(f.open("a.bin", kBytes, 1));
  std::u16string first = f.document.path();
  f.document.close();
  EXPECT_FALSE(exists(toUtf8(first)));
  ASSERT_TRUE(f.open("a.bin", kBytes, 1));
  EXPECT_EQ(f.document.path(), first);
}

// A cache folder named in bytes that are not UTF-8 is never used through its U+FFFD
// look-alike, which could be any folder: copies are refused with the open error, a backup below
// it is not made, and nothing is created in either folder.
TEST(OpenModes, ACacheFolderThatIsNotUtf8IsNeverUsed) {
  DocumentFixture f;
  const char* saved = std::getenv("XDG_CACHE_HOME");
  std::string previous = saved ? saved : "";
  std::filesystem::create_directory(f.dir.file("\xef\xbf\xbd"));
  ::setenv("XDG_CACHE_HOME", f.dir.file("\xff").c_str(), 1);
  setText(f.settings.workPath, u"");
  EXPECT_FALSE(f.open("a.bin", kBytes, 1));
  ASSERT_EQ(f.messages.shown().size(), 1u);
  EXPECT_EQ(f.messages.shown()[0].text, u"File " + f.dir.u16("a.bin") + u" open error (84).");

  f.messages.clear();
  setText(f.settings.backupPath, u"backups");
  f.messages.answer(kButtonNo);
  EXPECT_FALSE(f.open("a.bin", kBytes, 0));
  ASSERT_EQ(f.messages.shown().size(), 1u);
  EXPECT_NE(f.messages.shown()[0].text.find(u"(error 84)"), std::u16string::npos);
  EXPECT_TRUE(std::filesystem::is_empty(f.dir.file("\xef\xbf\xbd")));
  EXPECT_FALSE(exists(f.dir.file("\xff")));
  EXPECT_FALSE(exists("backups"));
  if (saved) ::setenv("XDG_CACHE_HOME", previous.c_str(), 1);
  else ::unsetenv("XDG_CACHE_HOME");
}

// A temporary copy is opened without waiting for the disk, and goes there once, before its
// first edit: a copy offered for recovery after a power cut always had its bytes on the disk.
// When that sync fails, nothing is written and the user is told.
TEST(OpenModes, ATemporaryCopyReachesTheDiskBeforeItsFirstEdit) {
  DocumentFixture f;
  test::CallPlan plan;
  plan.only = "fdatasync";
  test::planCalls(plan);
  ASSERT_TRUE(f.open("a.bin", kBytes, 1));
  EXPECT_EQ(test::countedCalls(), 0);
  EXPECT_TRUE(f.document.changeLog().mayWrite());
  f.edit(0, 0xAA);
  f.edit(1, 0xBB);
  EXPECT_EQ(test::stopCounting(), 1);
  f.document.close();

  test::CallPlan failing;
  failing.only = "fdatasync";
  failing.failFrom = 1;
  failing.failError = EIO;
  test::planCalls(failing);
  f.messages.clear();
  ASSERT_TRUE(f.open("b.bin", kBytes, 1));
  EXPECT_FALSE(f.document.changeLog().mayWrite());
  test::stopCounting();
  ASSERT_EQ(f.messages.shown().size(), 1u);
  EXPECT_EQ(f.messages.shown()[0].text, u"Error 5 with file " + f.document.path() + u".");
  EXPECT_TRUE(f.document.changeLog().mayWrite());  // a later try that succeeds lets the edit go
}

}  // namespace
}  // namespace nibblet
