#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <cstring>
#include <functional>

#include <gtest/gtest.h>

#include "core/platform/unicode.h"
#include "support/child_process.h"
#include "support/document_fixture.h"

namespace nibblet {
namespace {

using test::DocumentFixture;
using test::exists;
using test::inChild;
using test::readFile;

const std::vector<std::uint8_t> kBytes = {1, 2, 3, 4, 5, 6, 7, 8};

TEST(Undo, SameByteTwiceUndoneTwiceAndUndoAllCountsEntries) {
  DocumentFixture f;
  ASSERT_TRUE(f.open("a.bin", kBytes, 0));
  f.edit(2, 0x10);
  f.edit(2, 0x20);
  f.edit(5, 0x30);
  f.document.undo();
  EXPECT_EQ(f.document.bytes()[5], 6);
  f.document.undo();
  EXPECT_EQ(f.document.bytes()[2], 0x10);
  f.document.undo();
  EXPECT_EQ(f.document.bytes()[2], 3);
  EXPECT_EQ(f.window.restored, 3);
  EXPECT_TRUE(f.messages.shown().empty());

  // Undo with nothing left explains itself and changes nothing.
  f.document.undo();
  ASSERT_EQ(f.messages.shown().size(), 1u);
  EXPECT_EQ(f.messages.shown()[0].caption, u"Undo");
  EXPECT_EQ(f.messages.shown()[0].style, kStyleInformation);
  EXPECT_EQ(f.messages.shown()[0].text, u"No changes were made or all changes were cancelled.");

  // Undo All reports entries, not distinct offsets; No keeps everything.
  f.messages.clear();
  f.edit(0, 9);
  f.edit(0, 10);
  f.edit(0, 11);
  f.messages.answer(kButtonNo);
  f.document.undoAll();
  ASSERT_EQ(f.messages.shown().size(), 1u);
  EXPECT_EQ(f.messages.shown()[0].text, u"Undo all maked (3) changes?");
  EXPECT_EQ(f.messages.shown()[0].caption, u"Undo All");
  EXPECT_EQ(f.messages.shown()[0].style, kStyleQuestion);
  EXPECT_EQ(f.document.bytes()[0], 11);
  f.messages.answer(kButtonYes);
  f.document.undoAll();
  EXPECT_EQ(readFile(f.dir.file("a.bin")), kBytes);
  EXPECT_TRUE(f.document.changeLog().isEmpty());
  f.messages.clear();
  f.document.undoAll();
  ASSERT_EQ(f.messages.shown().size(), 1u);
  EXPECT_EQ(f.messages.shown()[0].caption, u"Undo");
}

TEST(Undo, ByteChangedBehindTheLogIsLeftAlone) {
  DocumentFixture f;
  ASSERT_TRUE(f.open("a.bin", kBytes, 0));
  f.edit(0, 0x55);
  f.document.bytes()[0] = 0x66;  // another writer
  f.document.undo();
  EXPECT_EQ(f.document.bytes()[0], 0x66);
  EXPECT_TRUE(f.document.changeLog().isEmpty());
}

TEST(Close, OnTheSpotNoRevertsEveryByteYesKeepsThem) {
  for (int answer : {kButtonNo, kButtonYes}) {
    DocumentFixture f;
    ASSERT_TRUE(f.open("a.bin", kBytes, 0));
    f.edit(0, 0xF0);
    f.edit(7, 0xF7);
    f.edit(0, 0xF1);
    f.messages.answer(answer);
    f.document.close();
    ASSERT_EQ(f.messages.shown().size(), 1u);
    EXPECT_EQ(f.messages.shown()[0].caption, u"Save");
    EXPECT_EQ(f.messages.shown()[0].text,
              u"In this mode (\"on the spot\") all changes already writed to file. You want keep this changes?");
    auto bytes = readFile(f.dir.file("a.bin"));
    if (answer == kButtonNo) {
      EXPECT_EQ(bytes, kBytes);
    } else {
      EXPECT_EQ(bytes[0], 0xF1);
      EXPECT_EQ(bytes[7], 0xF7);
    }
    EXPECT_FALSE(f.document.isOpen());
    EXPECT_TRUE(f.document.path().empty());
    EXPECT_EQ(f.window.title, u"Nibblet");
    EXPECT_EQ(f.window.closing, 1);
  }
}

TEST(Close, WithoutChangesOrDocumentAsksNothing) {
  DocumentFixture f;
  f.document.close();
  ASSERT_TRUE(f.open("a.bin", kBytes, 0));
  f.document.close();
  f.document.close();
  EXPECT_TRUE(f.messages.shown().empty());
}

TEST(Close, TemporaryCopyNoLeavesTheFileAndDeletesTheCopy) {
  DocumentFixture f;
  ASSERT_TRUE(f.open("a.bin", kBytes, 1));
  std::string copy = toUtf8(f.document.path());
  f.edit(3, 0x99);
  f.messages.answer(kButtonNo);
  f.document.close();
  ASSERT_EQ(f.messages.shown().size(), 1u);
  EXPECT_EQ(f.messages.shown()[0].text, u"Save changes?");
  EXPECT_EQ(f.messages.shown()[0].caption, u"Save");
  EXPECT_EQ(readFile(f.dir.file("a.bin")), kBytes);
  EXPECT_FALSE(exists(copy));
  EXPECT_TRUE(f.document.sourcePath().empty());
  EXPECT_FALSE(f.window.saveEnabled);
}

TEST(Save, AskedSaveWritesTheCopyAndCloseStillAsks) {
  DocumentFixture f;
  ASSERT_TRUE(f.open("a.bin", kBytes, 1));
  f.edit(0, 0x42);
  f.messages.answer(kButtonNo);
  f.document.save(true);
  EXPECT_EQ(readFile(f.dir.file("a.bin")), kBytes);
  ASSERT_EQ(f.messages.shown().size(), 1u);
  EXPECT_EQ(f.messages.shown()[0].text, u"Write changes to file " + f.dir.u16("a.bin") + u"?");

  f.messages.clear();
  f.messages.answer(kButtonYes);
  f.document.save(true);
  EXPECT_EQ(readFile(f.dir.file("a.bin"))[0], 0x42);
  ASSERT_EQ(f.messages.shown().size(), 2u);
  EXPECT_EQ(f.messages.shown()[1].text, u"File " + f.dir.u16("a.bin") + u" saved.");
  EXPECT_EQ(f.messages.shown()[1].style, kStyleInformation);
  EXPECT_EQ(f.document.changeLog().count(), 1u);

  // Switching the open mode while the copy is open still saves the copy on Close.
  f.settings.openMode = 0;
  f.edit(1, 0x43);
  f.messages.clear();
  f.messages.answer(kButtonYes);
  f.document.close();
  ASSERT_GE(f.messages.shown().size(), 1u);
  EXPECT_EQ(f.messages.shown()[0].text, u"Save changes?");
  auto bytes = readFile(f.dir.file("a.bin"));
  EXPECT_EQ(bytes[0], 0x42);
  EXPECT_EQ(bytes[1], 0x43);
}

TEST(Save, WritesIntoTheSameFileKeepingItsModeEvenWhenReadOnly) {
  DocumentFixture f;
  ASSERT_TRUE(f.open("a.bin", kBytes, 1));
  struct stat before;
  ASSERT_EQ(::chmod(f.dir.file("a.bin").c_str(), 0444), 0);
  ASSERT_EQ(::stat(f.dir.file("a.bin").c_str(), &before), 0);
  f.edit(0, 0x42);
  EXPECT_TRUE(f.document.save(false));
  struct stat st;
  ASSERT_EQ(::stat(f.dir.file("a.bin").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0444u);
  EXPECT_EQ(st.st_ino, before.st_ino);
  EXPECT_EQ(readFile(f.dir.file("a.bin"))[0], 0x42);
}

TEST(Save, FailureLeavesTheUsersFileIntactAndNamesTheError) {
  DocumentFixture f;
  // Large enough that the write runs past a file size limit.
  std::vector<std::uint8_t> old(1 << 20, 0x11);
  ASSERT_TRUE(f.open("a.bin", old, 1));
  for (std::uint32_t i = 0; i < f.document.size(); i += 4096) f.edit(i, 0x22);

  // Out of room: a file size limit below the file's size, with SIGXFSZ ignored.
  int status = inChild([&] {
    ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = {512 * 1024, 512 * 1024};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    f.messages.clear();
    f.document.save(false);
    const auto& shown = f.messages.shown();
    bool reported = shown.size() == 1 && shown[0].caption == u"Error" &&
                    shown[0].text == u"Error 27 with file " + f.dir.u16("a.bin") + u".";
    return reported ? 0 : 1;
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(readFile(f.dir.file("a.bin")), old);

  // A folder nobody may write into does not matter: the bytes go into the file itself. Root
  // ignores permissions, so the child drops to an unprivileged user first.
  ASSERT_EQ(::chmod(f.dir.path().c_str(), 0755), 0);
  std::filesystem::create_directory(f.dir.file("ro"));
  test::writeFile(f.dir.file("ro/b.bin"), old);
  ASSERT_EQ(::chmod(f.dir.file("ro/b.bin").c_str(), 0666), 0);
  ASSERT_EQ(::chmod(f.dir.file("ro").c_str(), 0555), 0);
  status = inChild([&] {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return 3;
    DocumentFixture g;
    g.settings.openMode = 1;
    g.document.setPath(f.dir.u16("ro/b.bin"));
    if (!g.document.openDocument()) return 4;
    g.edit(0, 0x33);
    return g.document.save(false) ? 0 : 1;
  });
  EXPECT_EQ(status, 0);
  auto saved = readFile(f.dir.file("ro/b.bin"));
  EXPECT_EQ(saved[0], 0x33);
  EXPECT_TRUE(std::equal(saved.begin() + 1, saved.end(), old.begin() + 1));
  ::chmod(f.dir.file("ro").c_str(), 0755);
}

}  // namespace
}  // namespace nibblet
