// Compare, Goto next diff, Clear, the two exports and Import over real files, with a scripted
// file browser and message box: the messages, what the view is asked to do, and what is
// written where.

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "core/diff/compare.h"
#include "core/diff/diff_commands.h"
#include "core/diff/diff_import.h"
#include "core/platform/unicode.h"
#include "support/document_fixture.h"

namespace nibblet {
namespace {

using test::DocumentFixture;

class ScriptedDiffWindow : public DiffWindow {
 public:
  int browse(const FileBrowserOptions& options, std::u16string& path) override {
    asked.push_back(options);
    if (paths.empty()) return 2;
    path = paths.front();
    paths.pop_front();
    return kBrowseOk;
  }
  bool hasView() const override { return viewShown; }
  void gotoOffset(std::uint32_t offset) override { shownOffsets.push_back(offset); }
  void rebuildText() override { ++rebuilds; }

  bool viewShown = true;
  std::deque<std::u16string> paths;
  std::vector<FileBrowserOptions> asked;
  std::vector<std::uint32_t> shownOffsets;
  int rebuilds = 0;
};

struct DiffFixture : DocumentFixture {
  DiffFixture()
      : commands(document, DiffServices{texts, messages, cursor, codePage, lastFolder}, window) {}

  // A file of `size` bytes (i * 3), with `changes` applied as (offset, value).
  std::vector<std::uint8_t> bytes(std::size_t size, std::vector<std::pair<std::size_t, std::uint8_t>> changes = {}) {
    std::vector<std::uint8_t> out(size);
    for (std::size_t i = 0; i < size; ++i) out[i] = static_cast<std::uint8_t>(i * 3);
    for (auto [at, value] : changes) out[at] = value;
    return out;
  }
  std::u16string file(const std::string& name, const std::vector<std::uint8_t>& content) {
    test::writeFile(dir.file(name), content);
    return dir.u16(name);
  }
  std::u16string file(const std::string& name, const std::string& content) {
    test::writeFile(dir.file(name), content);
    return dir.u16(name);
  }
  std::string text(const std::string& name) {
    auto b = test::readFile(dir.file(name));
    return std::string(b.begin(), b.end());
  }
  const ScriptedMessageBox::Shown& last() { return messages.shown().back(); }

  Utf8CodePage codePage;
  std::u16string lastFolder = u"/start/";
  ScriptedDiffWindow window;
  DiffCommands commands;
};

TEST(Compare, IdenticalFilesAndTheBrowserOptions) {
  DiffFixture f;
  ASSERT_TRUE(f.open("a.bin", f.bytes(64)));
  f.window.paths.push_back(f.file("same.bin", f.bytes(64)));
  f.commands.compare();
  ASSERT_EQ(f.window.asked.size(), 1u);
  const FileBrowserOptions& o = f.window.asked[0];
  EXPECT_EQ(o.title, u"Open file");
  EXPECT_TRUE(o.mustExist);
  EXPECT_TRUE(o.hideRomFiles);
  EXPECT_EQ(o.filter, u"*.*");
  EXPECT_EQ(o.startFolder, u"/start/");
  EXPECT_EQ(o.fileNameText, u"");
  ASSERT_EQ(f.messages.shown().size(), 1u);
  EXPECT_EQ(f.last().caption, u"Compare");
  EXPECT_EQ(f.last().style, kStylePlain);
  EXPECT_EQ(f.last().text, u"No differences found");
  EXPECT_EQ(f.document.diffSet().count(), 0u);
  EXPECT_EQ(f.document.comparePath(), f.dir.u16("same.bin"));
  EXPECT_TRUE(f.window.shownOffsets.empty());
}

TEST(Compare, OneDifferenceAndGotoNextDiffShowsItAgain) {
  DiffFixture f;
  ASSERT_TRUE(f.open("a.bin", f.bytes(1000)));
  f.window.paths.push_back(f.file("b.bin", f.bytes(1000, {{999, 0x00}})));
  f.commands.compare();
  EXPECT_EQ(f.last().text, u"1 difference(s) found. Tap-and-hold for see.");
  EXPECT_EQ(f.last().caption, u"Compare");
  ASSERT_EQ(f.document.diffSet().count(), 1u);
  const DiffEntry& e = f.document.diffSet().entry(0);
  EXPECT_EQ(e.offset, 999u);
  EXPECT_EQ(e.docValue, static_cast<std::uint8_t>(999 * 3));
  EXPECT_EQ(e.otherValue, 0x00);
  f.commands.gotoNextDiff();
  f.commands.gotoNextDiff();
  EXPECT_EQ(f.window.shownOffsets, (std::vector<std::uint32_t>{999, 999, 999}));
}

TEST(Compare, GotoNextDiffWrapsAround) {
  DiffFixture f;
  ASSERT_TRUE(f.open("a.bin", f.bytes(256)));
  f.window.paths.push_back(f.file("b.bin", f.bytes(256, {{0x10, 1}, {0x20, 2}, {0x30, 3}})));
  f.commands.compare();
  EXPECT_EQ(f.last().text, u"3 difference(s) found. Tap-and-hold for see.");
  for (int i = 0; i < 4; ++i) f.commands.gotoNextDiff();
  EXPECT_EQ(f.window.shownOffsets, (std::vector<std::uint32_t>{0x10, 0x20, 0x30, 0x10, 0x20}));

  // Clear forgets them, redraws at once and keeps the path; Goto next diff then does nothing.
  int rebuilds = f.window.rebuilds;
  f.commands.clear();
  EXPECT_EQ(f.document.diffSet().count(), 0u);
  EXPECT_GT(f.window.rebuilds, rebuilds);
  EXPECT_EQ(f.document.comparePath(), f.dir.u16("b.bin"));
  f.commands.gotoNextDiff();
  EXPECT_EQ(f.window.shownOffsets.size(), 5u);

  // Clear needs no view: the list is emptied all the same, and nothing is asked to redraw.
  f.window.paths.push_back(f.dir.u16("b.bin"));
  f.commands.compare();
  ASSERT_EQ(f.document.diffSet().count(), 3u);
  f.window.viewShown = false;
  rebuilds = f.window.rebuilds;
  f.commands.clear();
  EXPECT_EQ(f.document.diffSet().count(), 0u);
  EXPECT_EQ(f.window.rebuilds, rebuilds);
}

TEST(Compare, DifferencesAtEveryPlaceOfAWord) {
  // Words and whole blocks at once: every offset, the first and the last, odd sizes.
  DiffFixture f;
  const std::uint32_t size = 40000 + 13;
  std::vector<std::uint8_t> a(size, 0), b(size, 0);
  std::vector<std::uint32_t> expected;
  for (std::uint32_t i = 0; i < size; ++i)
    if (i % 7 == 0 || i == size - 1 || (i >= 16384 && i < 16400)) {
      b[i] = 0x80;
      expected.push_back(i);
    }
  DiffSet diffs;
  AppendResult stored;
  EXPECT_EQ(compareBytes(a.data(), b.data(), size, diffs, stored), 0);
  EXPECT_EQ(stored, AppendResult::Stored);
  ASSERT_EQ(diffs.count(), expected.size());
  for (std::uint32_t i = 0; i < diffs.count(); ++i) {
    EXPECT_EQ(diffs.entry(i).offset, expected[i]);
    EXPECT_EQ(diffs.entry(i).docValue, 0);
    EXPECT_EQ(diffs.entry(i).otherValue, 0x80);
  }
}

TEST(Compare, SizesDifferMissingAndEmptyFiles) {
  DiffFixture f;
  ASSERT_TRUE(f.open("a.bin", f.bytes(100)));
  f.window.paths.push_back(f.file("b.bin", f.bytes(101)));
  f.commands.compare();
  EXPECT_EQ(f.last().caption, u"Error");
  EXPECT_EQ(f.last().style, kStylePlain);
  EXPECT_EQ(f.last().text, u"Files have different sizes.\n" + f.dir.u16("a.bin") + u" - 100 bytes.\n" +
                               f.dir.u16("b.bin") + u" - 101 bytes.");
  EXPECT_TRUE(f.document.comparePath().empty());
  EXPECT_EQ(f.document.diffSet().count(), 0u);

  f.window.paths.push_back(f.file("empty.bin", std::string()));
  f.commands.compare();
  EXPECT_EQ(f.last().style, kStyleError);
  EXPECT_EQ(f.last().text, u"File " + f.dir.u16("empty.bin") + u" open error (22).");
  EXPECT_TRUE(f.document.comparePath().empty());

  f.window.paths.push_back(f.dir.u16("gone.bin"));
  f.commands.compare();
  EXPECT_EQ(f.last().text, u"File " + f.dir.u16("gone.bin") + u" open error (2).");
  EXPECT_EQ(f.messages.shown().size(), 3u);
}

TEST(Compare, TemporaryCopyMessagesNameTheUsersFile) {
  DiffFixture f;
  ASSERT_TRUE(f.open("user.bin", f.bytes(100), /*openMode=*/1));
  ASSERT_TRUE(f.document.isTemporaryCopy());
  f.window.paths.push_back(f.file("b.bin", f.bytes(101)));
  f.commands.compare();
  EXPECT_NE(f.last().text.find(f.dir.u16("user.bin") + u" - 100 bytes."), std::u16string::npos);
}

TEST(Compare, CancelForgetsAnEarlierComparisonAndTheSetIsASnapshot) {
  DiffFixture f;
  ASSERT_TRUE(f.open("a.bin", f.bytes(64)));
  f.window.paths.push_back(f.file("b.bin", f.bytes(64, {{5, 0xEE}})));
  f.commands.compare();
  ASSERT_EQ(f.document.diffSet().count(), 1u);

  // Editing and undoing the differing byte leaves the recorded values alone.
  f.edit(5, 0x77);
  f.document.undo();
  f.edit(5, 0x78);
  ASSERT_NE(f.document.diffSet().find(5), nullptr);
  EXPECT_EQ(f.document.diffSet().find(5)->otherValue, 0xEE);
  EXPECT_EQ(f.document.diffSet().find(5)->docValue, 15);

  std::size_t shown = f.messages.shown().size();
  int rebuilds = f.window.rebuilds;
  f.commands.compare();  // the browser is cancelled
  EXPECT_EQ(f.document.diffSet().count(), 0u);
  EXPECT_EQ(f.messages.shown().size(), shown);
  EXPECT_GT(f.window.rebuilds, rebuilds);
  EXPECT_EQ(f.document.comparePath(), f.dir.u16("b.bin"));

  // Without a view, nothing but the forgetting happens.
  f.window.viewShown = false;
  f.commands.compare();
  f.commands.exportChanges();
  f.commands.importDiff();
  EXPECT_EQ(f.window.asked.size(), 2u);
}

TEST(Compare, WithTheBackupMadeAtOpen) {
  DiffFixture f;
  ASSERT_TRUE(f.open("a.bin", f.bytes(64)));
  EXPECT_FALSE(f.commands.hasBackup());
  f.document.close();
  setText(f.settings.backupPath, f.dir.u16("backups"));
  ASSERT_TRUE(f.open("a.bin", f.bytes(64)));
  EXPECT_TRUE(f.commands.hasBackup());
  f.edit(9, 0x99);
  f.commands.compareWithBackup();
  EXPECT_TRUE(f.window.asked.empty());
  EXPECT_EQ(f.last().text, u"1 difference(s) found. Tap-and-hold for see.");
  EXPECT_EQ(f.document.diffSet().entry(0).offset, 9u);
  EXPECT_EQ(f.document.diffSet().entry(0).otherValue, 27);
  EXPECT_EQ(f.document.comparePath(), f.dir.u16("backups/a.bin.bak"));
  f.document.close();
  EXPECT_FALSE(f.commands.hasBackup());
}

TEST(Export, EmptyListsAndTheBrowserOptions) {
  DiffFixture f;
  ASSERT_TRUE(f.open("data.bin", f.bytes(64)));
  f.commands.exportChanges();
  EXPECT_EQ(f.last().caption, u"Save differences");
  EXPECT_EQ(f.last().style, kStyleInformation);
  EXPECT_EQ(f.last().text, u"No changes were made or all changes were cancelled.");
  f.commands.exportDifferences();
  EXPECT_EQ(f.last().text, u"Buffer empty");
  EXPECT_TRUE(f.window.asked.empty());

  f.edit(1, 0);
  f.commands.exportChanges();  // cancelled
  ASSERT_EQ(f.window.asked.size(), 1u);
  const FileBrowserOptions& o = f.window.asked[0];
  EXPECT_EQ(o.title, u"Save file");
  EXPECT_FALSE(o.mustExist);
  EXPECT_FALSE(o.hideRomFiles);
  EXPECT_EQ(o.fileNameText, u"data.bin.txt");
  EXPECT_EQ(o.defaultExtension, u".txt");
  EXPECT_EQ(o.filter, u"*.txt");
  EXPECT_EQ(o.startFolder, u"/start/");
  EXPECT_EQ(f.messages.shown().size(), 2u);
}

TEST(Export, TwiceEditedByteGivesTwoLinesAndIsRefusedOnAnUnchangedCopy) {
  DiffFixture f;
  ASSERT_TRUE(f.open("data.bin", f.bytes(64, {{0x1A, 0x00}})));
  f.edit(0x1A, 0x11);
  f.edit(0x1A, 0x22);
  f.window.paths.push_back(f.dir.u16("changes.txt"));
  f.commands.exportChanges();
  EXPECT_EQ(f.messages.shown().size(), 0u);
  EXPECT_EQ(f.text("changes.txt"),
            ";Nibblet diff file\n;FILE: data.bin\n;SIZE: 64\n0000001A: 00 11\n0000001A: 11 22\n");

  f.document.undoAll();  // not answered Yes: the edits stay
  f.document.close();
  ASSERT_TRUE(f.open("copy.bin", f.bytes(64, {{0x1A, 0x00}})));
  f.window.paths.push_back(f.dir.u16("changes.txt"));
  f.commands.importDiff();
  EXPECT_EQ(f.last().caption, u"Import");
  EXPECT_EQ(f.last().style, kStyleError);
  EXPECT_EQ(f.last().text, u"This data cannot be apply to current file.");
  EXPECT_EQ(f.document.changeLog().count(), 0u);
  EXPECT_EQ(f.document.bytes()[0x1A], 0x00);
}

TEST(Export, WriteErrorsAreReportedAndTheOpenFilesAreNeverReplaced) {
  DiffFixture f;
  ASSERT_TRUE(f.open("notes.txt", f.bytes(64)));
  f.edit(3, 0x33);
  f.window.paths.push_back(f.dir.u16("missing/x.txt"));
  f.commands.exportChanges();
  EXPECT_EQ(f.last().caption, u"Save differences");
  EXPECT_EQ(f.last().style, kStyleError);
  EXPECT_EQ(f.last().text, u"Error 2 with file " + f.dir.u16("missing/x.txt") + u".");

  // Choosing the document itself would leave the edits in a file without a name.
  f.window.paths.push_back(f.dir.u16("notes.txt"));
  f.commands.exportChanges();
  EXPECT_EQ(f.last().text, u"Error 16 with file " + f.dir.u16("notes.txt") + u".");
  EXPECT_EQ(test::readFile(f.dir.file("notes.txt")), f.bytes(64, {{3, 0x33}}));
}

TEST(Export, TemporaryCopyProposesAndNamesTheUsersFile) {
  DiffFixture f;
  ASSERT_TRUE(f.open("user.bin", f.bytes(64), /*openMode=*/1));
  f.window.paths.push_back(f.file("other.bin", f.bytes(64, {{7, 1}})));
  f.commands.compare();
  f.window.paths.push_back(f.dir.u16("diffs.txt"));
  f.commands.exportDifferences();
  EXPECT_EQ(f.window.asked.back().fileNameText, u"user.bin.txt");
  EXPECT_EQ(f.text("diffs.txt"),
            ";Nibblet diff file\n;FILE: user.bin\n;FILE2: other.bin\n;SIZE: 64\n00000007: 15 01\n");
}

TEST(Import, RoundTripOntoAnUnchangedCopyThenTakingItBack) {
  DiffFixture f;
  std::vector<std::uint8_t> a = f.bytes(300), b = f.bytes(300, {{0, 0xF0}, {0x80, 0xF1}, {299, 0xF2}});
  ASSERT_TRUE(f.open("a.bin", a));
  f.window.paths.push_back(f.file("b.bin", b));
  f.commands.compare();
  f.window.paths.push_back(f.dir.u16("ab.txt"));
  f.commands.exportDifferences();
  f.document.close();

  ASSERT_TRUE(f.open("copy.bin", a));
  f.messages.clear();
  f.window.paths.push_back(f.dir.u16("ab.txt"));
  f.messages.answer(kButtonYes);
  int rebuilds = f.window.rebuilds;
  f.commands.importDiff();
  ASSERT_EQ(f.messages.shown().size(), 2u);
  EXPECT_EQ(f.messages.shown()[0].style, kStyleQuestion);
  EXPECT_EQ(f.messages.shown()[0].text, u"3 byte(s) will change, from offset 00000000 to 0000012B.\nApply the changes?");
  EXPECT_EQ(f.last().caption, u"Import");
  EXPECT_EQ(f.last().style, kStyleInformation);
  EXPECT_EQ(f.last().text, u"Changed 3 byte(s).");
  EXPECT_GT(f.window.rebuilds, rebuilds);
  EXPECT_EQ(test::readFile(f.dir.file("copy.bin")), b);  // on the spot: in the file at once
  ASSERT_EQ(f.document.changeLog().count(), 3u);
  EXPECT_EQ(f.document.changeLog().entry(1).offset, 0x80u);
  EXPECT_EQ(f.document.changeLog().entry(1).oldValue, static_cast<std::uint8_t>(0x80 * 3));
  EXPECT_EQ(f.document.changeLog().entry(1).newValue, 0xF1);
  EXPECT_EQ(f.document.diffSet().count(), 0u);  // an import leaves the differences alone

  // Importing again: the file no longer applies, but it can be taken back. No leaves all as it is.
  f.messages.clear();
  f.window.paths.push_back(f.dir.u16("ab.txt"));
  f.commands.importDiff();
  ASSERT_EQ(f.messages.shown().size(), 1u);
  EXPECT_EQ(f.last().text,
            u"The changes of this file are already in the current file: 3 byte(s), from offset 00000000 to "
            u"0000012B.\nTake them back?");
  EXPECT_EQ(f.document.changeLog().count(), 3u);
  EXPECT_EQ(test::readFile(f.dir.file("copy.bin")), b);

  // Yes writes the first values back as recorded edits, newest line first.
  f.messages.clear();
  f.window.paths.push_back(f.dir.u16("ab.txt"));
  f.messages.answer(kButtonYes);
  f.commands.importDiff();
  EXPECT_EQ(f.last().text, u"Changed 3 byte(s).");
  EXPECT_EQ(test::readFile(f.dir.file("copy.bin")), a);
  ASSERT_EQ(f.document.changeLog().count(), 6u);
  EXPECT_EQ(f.document.changeLog().entry(3).offset, 299u);
  EXPECT_EQ(f.document.changeLog().entry(3).oldValue, 0xF2);

  // Every imported byte is undone one at a time, newest first.
  for (int i = 0; i < 6; ++i) f.document.undo();
  EXPECT_EQ(test::readFile(f.dir.file("copy.bin")), a);
  EXPECT_EQ(f.document.changeLog().count(), 0u);
}

TEST(Import, PreviewAnsweredNoWritesNothing) {
  DiffFixture f;
  ASSERT_TRUE(f.open("a.bin", f.bytes(32)));
  f.window.paths.push_back(f.file("d.txt", "0000001f:5d00\n00000002:06FF"));
  f.commands.importDiff();
  EXPECT_EQ(f.last().text, u"2 byte(s) will change, from offset 00000002 to 0000001F.\nApply the changes?");
  EXPECT_EQ(f.document.changeLog().count(), 0u);
  EXPECT_EQ(test::readFile(f.dir.file("a.bin")), f.bytes(32));
}

TEST(Import, RefusedFilesChangeNothing) {
  DiffFixture f;
  ASSERT_TRUE(f.open("a.bin", f.bytes(32)));
  struct Case {
    std::string content;
    std::u16string text;
  } cases[] = {
      {"", u"This file not valid (not exist any valid data)."},
      {";Nibblet diff file\n;FILE: a.bin\n;FILE2: b.bin\n;SIZE: 32\n",
       u"This file not valid (not exist any valid data)."},
      {"1A: 00 FF\n0000001A:\t00 FF\n", u"This file not valid (not exist any valid data)."},
      // The offset equal to the size spoils the whole file, also after good lines.
      {"00000001: 03 04\n00000020: 00 01\n", u"This data cannot be apply to current file."},
      {"00000001: 04 05\n", u"This data cannot be apply to current file."},
  };
  for (const Case& c : cases) {
    f.window.paths.push_back(f.file("bad.txt", c.content));
    f.commands.importDiff();
    EXPECT_EQ(f.last().text, c.text) << c.content;
    EXPECT_EQ(f.last().style, kStyleError);
  }
  f.window.paths.push_back(f.dir.u16("none.txt"));
  f.commands.importDiff();
  EXPECT_EQ(f.last().text, u"Error 2 with file " + f.dir.u16("none.txt"));
  EXPECT_EQ(f.document.changeLog().count(), 0u);
  EXPECT_EQ(test::readFile(f.dir.file("a.bin")), f.bytes(32));

  // Headers are not read: a file made for another name and size applies when its bytes fit.
  f.window.paths.push_back(f.file("other.txt", ";FILE: x\n;SIZE: 5\n0000:000:0006\n"));
  f.messages.answer(kButtonYes);
  f.commands.importDiff();
  EXPECT_EQ(f.last().text, u"Changed 1 byte(s).");
  EXPECT_EQ(f.document.bytes()[0], 0x06);
}

TEST(Import, StoppedWritingTakesBackEveryByteAndTellsTheObserver) {
  // 40,000 lines over 4 KiB: each offset about ten times, every line expecting the byte as it is
  // now, in both directions; stopped at each report in turn.
  struct Observer : ChangeObserver {
    void changeAppended(const ChangeEntry&) override { ++net; }
    void changeUndone(const ChangeEntry&) override { --net; }
    int net = 0;
  };
  std::vector<std::uint8_t> original(4096);
  for (std::size_t i = 0; i < original.size(); ++i) original[i] = static_cast<std::uint8_t>(i * 7);
  for (DiffDirection direction : {DiffDirection::Apply, DiffDirection::TakeBack}) {
    std::vector<DiffLine> lines;
    for (std::uint32_t i = 0; i < 40000; ++i) {
      std::uint8_t now = original[i % 4096], other = static_cast<std::uint8_t>(i ^ 0x5A);
      lines.push_back(direction == DiffDirection::Apply ? DiffLine{i % 4096, now, other} : DiffLine{i % 4096, other, now});
    }
    for (int stopAt = 1;; ++stopAt) {
      std::vector<std::uint8_t> bytes = original;
      ChangeLog log;
      Observer observer;
      log.append(9, bytes[9], bytes[9]);  // an edit from before
      log.setObserver(&observer);
      int reports = 0;
      writeLines(lines, bytes.data(), 4096, log, direction, [&](std::uint64_t, std::uint64_t) { return ++reports != stopAt; });
      if (reports < stopAt) {
        EXPECT_EQ(log.count(), 40001u);  // ran to the end: every line is an edit
        EXPECT_GE(stopAt, 3);
        break;
      }
      EXPECT_EQ(bytes, original) << "stopped at report " << stopAt;
      EXPECT_EQ(log.count(), 1u);
      EXPECT_EQ(observer.net, 0);
    }
  }
}

}  // namespace
}  // namespace nibblet
