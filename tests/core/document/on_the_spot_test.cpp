// Edits made on the spot go into the user's file at once: what becomes of them when another
// program replaces the file, when the system cannot write them back, and how a large import is
// journaled before its bytes are written.

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include <gtest/gtest.h>

#include "core/diff/diff_import.h"
#include "core/document/replaced_file.h"
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

// Another program writes `bytes` to a new file and renames it over `path`.
void replaceByRename(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  writeFile(path + ".new", bytes);
  fs::rename(path + ".new", path);
}

TEST(OnTheSpot, AFileReplacedUnderTheDocumentKeepsItsEditsWhereTheUserSays) {
  enum Case { WriteIntoNew, NewDiffers, KeepCopy, Deleted };
  for (Case c : {WriteIntoNew, NewDiffers, KeepCopy, Deleted}) {
    DocumentFixture f;
    ASSERT_TRUE(f.open("a.bin", kOld, 0));
    f.edit(5, 0x55);
    std::vector<std::uint8_t> other = kOld;
    other[100] = 0x77;  // the other program's own change
    if (c == NewDiffers) other[5] = 0x99;
    if (c == Deleted) ::unlink(f.dir.file("a.bin").c_str());
    else replaceByRename(f.dir.file("a.bin"), other);
    // No byte goes into the replaced file meanwhile: the view's writes and undos are refused.
    EXPECT_FALSE(f.document.changeLog().mayWrite());
    EXPECT_FALSE(f.document.changeLog().undoLast(f.document.bytes(), f.document.size()));
    EXPECT_EQ(f.document.bytes()[5], 0x55);

    f.messages.answer(c == KeepCopy ? kButtonNo : kButtonYes);
    // Then the note on the kept copy, or the usual question of Close (keep the changes).
    f.messages.answer(c == KeepCopy || c == NewDiffers ? kButtonOk : kButtonYes);
    EXPECT_TRUE(f.document.close());
    const std::u16string a = f.dir.u16("a.bin"), copy = a + u".edited";
    ASSERT_GE(f.messages.shown().size(), 1u);
    if (c == Deleted) {
      EXPECT_EQ(f.messages.shown()[0].text,
                a + u" was moved or deleted by another program while it was open on the spot. The 1 change(s) are "
                    u"in that file.\nYes writes the edited file anew at " + a + u".\nNo keeps it as a copy, " + copy + u".");
    } else {
      EXPECT_EQ(f.messages.shown()[0].text,
                a + u" was replaced by another program while it was open on the spot. The 1 change(s) are in the "
                    u"file that was there before.\nYes writes them into the file now at " + a +
                    u".\nNo keeps the edited file as a copy, " + copy + u".");
    }
    std::vector<std::uint8_t> edited = kOld;
    edited[5] = 0x55;
    std::vector<std::uint8_t> merged = other;
    merged[5] = 0x55;
    switch (c) {
      case WriteIntoNew:
        EXPECT_EQ(readFile(f.dir.file("a.bin")), merged);
        EXPECT_FALSE(exists(toUtf8(copy)));
        break;
      case Deleted:
        EXPECT_EQ(readFile(f.dir.file("a.bin")), edited);
        break;
      case NewDiffers:
      case KeepCopy:
        // The other program's file is left alone; the edited file is kept whole beside it.
        EXPECT_EQ(readFile(f.dir.file("a.bin")), other);
        EXPECT_EQ(readFile(toUtf8(copy)), edited);
        ASSERT_EQ(f.messages.shown().size(), 2u);
        EXPECT_EQ(f.messages.shown()[1].text,
                  c == KeepCopy ? u"The edited file was kept as " + copy + u"."
                                : u"The file now at " + a + u" does not hold what the changes replace, so they were "
                                  u"not written into it. The edited file was kept as " + copy + u".");
        break;
    }
    EXPECT_FALSE(f.document.isOpen());
  }
}

TEST(OnTheSpot, AfterWritingIntoTheNewFileTheDocumentEditsThatFile) {
  DocumentFixture f;
  ASSERT_TRUE(f.open("a.bin", kOld, 0));
  f.edit(5, 0x55);
  replaceByRename(f.dir.file("a.bin"), kOld);
  f.messages.answer(kButtonYes);
  EXPECT_FALSE(f.document.checkReplaced());
  EXPECT_TRUE(f.document.isOpen());
  EXPECT_TRUE(f.document.changeLog().mayWrite());
  f.edit(6, 0x66);
  f.messages.answer(kButtonYes);
  f.document.undoAll();
  EXPECT_EQ(readFile(f.dir.file("a.bin")), kOld);
}

TEST(OnTheSpot, EditsThatCannotBeWrittenBackAreReportedAtClose) {
  DocumentFixture f;
  ASSERT_TRUE(f.open("a.bin", kOld, 0));
  f.edit(5, 0x55);
  int status = inChild([&] {
    test::CallPlan plan;
    plan.only = "msync";
    plan.failFrom = 1;
    plan.failError = EIO;
    test::planCalls(plan);
    f.messages.answer(kButtonYes);  // keep the changes
    if (!f.document.close()) return 1;
    const auto& shown = f.messages.shown();
    if (shown.size() != 2 || shown[1].text != u"Error 5 with file " + f.dir.u16("a.bin") + u".") return 2;
    // The journal of the edits stays: the next open can still show them.
    for (const auto& e : fs::directory_iterator(f.dir.file("work")))
      if (e.path().extension() == ".jnl") return 0;
    return 3;
  });
  EXPECT_EQ(status, 0);
}

TEST(OnTheSpot, AnImportIsJournaledInLargePiecesBeforeItsBytes) {
  DocumentFixture f;
  const std::uint32_t lines = 200000;
  const std::vector<std::uint8_t> old(lines * 4, 0);
  std::vector<DiffLine> diff;
  for (std::uint32_t i = 0; i < lines; ++i) diff.push_back({i * 4, 0, 0xAA});
  writeFile(f.dir.file("a.bin"), old);
  // A run that opens the file, imports the lines and dies.
  auto importRun = [&] {
    f.document.setPath(f.dir.u16("a.bin"));
    if (f.document.openDocument())
      writeLines(diff, f.document.bytes(), f.document.size(), f.document.changeLog(), DiffDirection::Apply);
  };
  // The next run recovers the edits, checks that `check` holds, and takes them all back.
  auto recoverAndUndo = [&](const std::function<void(const ChangeLog&, const std::vector<std::uint8_t>&)>& check) {
    std::vector<std::uint8_t> now = readFile(f.dir.file("a.bin"));
    f.messages.clear();
    f.messages.answer(kButtonYes);
    f.document.setPath(f.dir.u16("a.bin"));
    ASSERT_TRUE(f.document.openDocument());
    check(f.document.changeLog(), now);
    f.messages.answer(kButtonYes);
    f.document.undoAll();
    f.document.close();
    ASSERT_EQ(readFile(f.dir.file("a.bin")), old);
  };
  int writes = test::callsMadeBy(importRun, "write");
  recoverAndUndo([&](const ChangeLog& log, const std::vector<std::uint8_t>&) { EXPECT_EQ(log.count(), lines); });
  // The journal's header is one write; the records take a handful more, not one each.
  EXPECT_LE(writes, 8);
  // Killed at each of those writes: every byte already in the file has its record.
  for (int n = 1; n <= writes; ++n) {
    test::CallPlan plan;
    plan.only = "write";
    plan.killAt = n;
    plan.tear = true;
    ASSERT_EQ(inChild([&] {
      test::planCalls(plan);
      importRun();
      return 0;
    }), 128 + SIGKILL);
    if (n == 1) continue;  // no journal yet, and no byte written
    recoverAndUndo([&](const ChangeLog& log, const std::vector<std::uint8_t>& now) {
      std::vector<bool> recorded(now.size());
      for (std::uint32_t i = 0; i < log.count(); ++i) recorded[log.entry(i).offset] = true;
      for (std::uint32_t at = 0; at < now.size(); ++at)
        ASSERT_TRUE(now[at] == old[at] || recorded[at]) << "kill at write " << n << ", offset " << at;
    });
  }
}

// Writing the edited file anew at its path, or beside it, runs under the progress panel; a stop
// there leaves no file behind, says nothing more, and the edits stay where they are.
TEST(OnTheSpot, AStopWhileTheEditedFileIsWrittenLeavesNoFile) {
  test::TempDir dir;
  writeFile(dir.file("edited.bin"), std::vector<std::uint8_t>(1 << 20, 7));
  MappedFile edited;
  ASSERT_EQ(edited.open(dir.u16("edited.bin"), Access::ReadOnly), 0);
  ChangeLog log;
  log.append(3, 0, 7);
  Texts texts;
  ScriptedMessageBox messages;
  struct Stopping : WaitCursor {
    void begin() override {}
    void end() override {}
    bool progress(std::uint64_t, std::uint64_t) override { return false; }
  } stopping;
  for (int answer : {kButtonYes, kButtonNo}) {
    messages.clear();
    messages.answer(answer);
    EXPECT_EQ(ReplacedFile(texts, messages, stopping).settle(dir.u16("gone.bin"), log, edited),
              ReplacedFile::Outcome::NotSettled);
    EXPECT_EQ(messages.shown().size(), 1u);  // the question alone
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir.path())) left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"edited.bin"});
  }
}

}  // namespace
}  // namespace nibblet
