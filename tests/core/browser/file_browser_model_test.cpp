#include "core/browser/file_browser_model.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>

#include "core/browser/entry_refusal.h"
#include "core/i18n/string_ids.h"
#include "core/platform/file_system.h"
#include "core/platform/message_box.h"
#include "core/platform/unicode.h"
#include "core/platform/wait_cursor.h"
#include "support/temp_dir.h"

namespace nibblet {
namespace {

using test::TempDir;
using test::writeFile;

class CountingCursor : public WaitCursor {
 public:
  void begin() override { ++depth; ++shown; }
  void end() override { --depth; }
  int depth = 0;
  int shown = 0;
};

std::vector<std::u16string> names(const FileBrowserModel& model) {
  std::vector<std::u16string> result;
  for (const auto& entry : model.entries()) result.push_back(entry.name);
  return result;
}

FileBrowserOptions optionsFor(const TempDir& dir, const char16_t* filter = u"*.*") {
  FileBrowserOptions options;
  options.startFolder = fromUtf8(dir.path());
  options.filter = filter;
  return options;
}

// A tree with files and folders in mixed case, a hidden entry and an extension to filter.
void makeTree(const TempDir& dir) {
  ::mkdir(dir.file("beta").c_str(), 0755);
  ::mkdir(dir.file("Alpha").c_str(), 0755);
  ::mkdir(dir.file(".config").c_str(), 0755);
  writeFile(dir.file("zeta.TXT"), std::string(10000, 'z'));
  writeFile(dir.file("Apple.bin"), "a");
  writeFile(dir.file("notes.txt.bak"), "n");
  writeFile(dir.file("README"), "r");
  writeFile(dir.file(".hidden"), "h");
}

TEST(FileBrowserModel, ListsFoldersFirstThenFilesInNameOrder) {
  TempDir dir;
  makeTree(dir);
  CountingCursor cursor;
  FileBrowserModel model(optionsFor(dir), cursor);
  std::vector<std::u16string> expected{u"Alpha", u"beta", u"Apple.bin", u"notes.txt.bak",
                                       u"README", u"zeta.TXT"};
  EXPECT_EQ(names(model), expected);
  EXPECT_EQ(model.currentFolder(), fromUtf8(dir.path()) + u"/");
  EXPECT_TRUE(model.entries()[0].isFolder());
  EXPECT_EQ(model.entries()[0].sizeText, u"");
  EXPECT_EQ(model.entries()[0].dateText.size(), 19u);
  EXPECT_EQ(model.entries()[5].sizeText, u"10KB");
  EXPECT_GT(cursor.shown, 0);
  EXPECT_EQ(cursor.depth, 0);
}

TEST(FileBrowserModel, FilterAndFolderModeChooseWhatIsListed) {
  TempDir dir;
  makeTree(dir);
  NullWaitCursor cursor;

  FileBrowserModel text(optionsFor(dir, u"*.txt"), cursor);
  EXPECT_EQ(names(text), (std::vector<std::u16string>{u"Alpha", u"beta", u"zeta.TXT"}));

  FileBrowserModel none(optionsFor(dir, u""), cursor);
  EXPECT_EQ(names(none), (std::vector<std::u16string>{u"Alpha", u"beta"}));

  FileBrowserOptions folders = optionsFor(dir);
  folders.folderMode = true;
  FileBrowserModel folderModel(folders, cursor);
  EXPECT_EQ(names(folderModel), (std::vector<std::u16string>{u"Alpha", u"beta"}));
}

TEST(FileBrowserModel, UnreadableOrMissingFolderListsNothing) {
  TempDir dir;
  makeTree(dir);
  NullWaitCursor cursor;
  FileBrowserOptions missing = optionsFor(dir);
  missing.startFolder += u"/gone";
  EXPECT_TRUE(FileBrowserModel(missing, cursor).entries().empty());

  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not stop root from reading";
  ::chmod(dir.path().c_str(), 0);
  FileBrowserModel locked(optionsFor(dir), cursor);
  ::chmod(dir.path().c_str(), 0755);
  EXPECT_TRUE(locked.entries().empty());
}

TEST(FileBrowserModel, NavigatesIntoFoldersUpAndThroughTheDropDown) {
  TempDir dir;
  ::mkdir(dir.file("a").c_str(), 0755);
  ::mkdir(dir.file("a/b").c_str(), 0755);
  writeFile(dir.file("a/b/leaf.bin"), "x");
  NullWaitCursor cursor;
  FileBrowserModel model(optionsFor(dir), cursor);
  const std::u16string base = fromUtf8(dir.path()) + u"/";
  const int baseDepth = model.selectedFolderItem();

  ASSERT_EQ(model.doubleTapEntry(model.findEntry(u"a")),
            FileBrowserModel::DoubleTap::OpenedFolder);
  ASSERT_TRUE(model.openFolder(u"b"));
  EXPECT_EQ(model.currentFolder(), base + u"a/b/");
  EXPECT_EQ(model.folderItems().back(), std::u16string(baseDepth + 2, u' ') + u"b");
  EXPECT_EQ(model.selectedFolderItem(), baseDepth + 2);

  model.tapEntry(model.findEntry(u"leaf.bin"));
  EXPECT_EQ(model.fileName(), u"leaf.bin");
  EXPECT_EQ(model.doubleTapEntry(0), FileBrowserModel::DoubleTap::Ok);

  ASSERT_TRUE(model.folderUp());
  EXPECT_EQ(model.currentFolder(), base + u"a/");
  EXPECT_EQ(model.fileName(), u"leaf.bin");  // the box text survives navigation
  ASSERT_TRUE(model.chooseFolderItem(0));
  EXPECT_EQ(model.currentFolder(), u"/");
  ASSERT_TRUE(model.folderUp());
  EXPECT_EQ(model.currentFolder(), u"/");
  EXPECT_EQ(model.folderItems(), std::vector<std::u16string>{u"/"});
}

TEST(FileBrowserModel, TapOnAFolderOrAVanishedFileKeepsTheBoxText) {
  TempDir dir;
  makeTree(dir);
  NullWaitCursor cursor;
  FileBrowserOptions options = optionsFor(dir);
  options.fileNameText = u"typed";
  FileBrowserModel model(options, cursor);
  model.tapEntry(model.findEntry(u"Alpha"));
  EXPECT_EQ(model.fileName(), u"typed");
  ::unlink(dir.file("README").c_str());
  model.tapEntry(model.findEntry(u"README"));
  EXPECT_EQ(model.fileName(), u"typed");
  model.tapEntry(-1);
  model.tapEntry(1000);
  EXPECT_EQ(model.fileName(), u"typed");
}

TEST(FileBrowserModel, OkRefusesOrAcceptsByTheOptions) {
  TempDir dir;
  makeTree(dir);
  NullWaitCursor cursor;
  const std::u16string base = fromUtf8(dir.path()) + u"/";
  std::u16string path = u"untouched";

  FileBrowserOptions open = optionsFor(dir);
  open.mustExist = true;
  FileBrowserModel opener(open, cursor);
  EXPECT_FALSE(opener.ok(u"", path));
  EXPECT_FALSE(opener.ok(u"missing.bin", path));
  EXPECT_FALSE(opener.ok(u"Alpha", path));  // a folder is not a file
  EXPECT_EQ(path, u"untouched");
  EXPECT_TRUE(opener.ok(u"Apple.bin", path));
  EXPECT_EQ(path, base + u"Apple.bin");
  // A typed relative name is tidied before it is looked up and handed on.
  EXPECT_TRUE(opener.ok(u"./beta/..//Apple.bin", path));
  EXPECT_EQ(path, base + u"Apple.bin");
  EXPECT_TRUE(opener.ok(u"../" + fileNamePart(fromUtf8(dir.path())) + u"/Apple.bin", path));
  EXPECT_EQ(path, base + u"Apple.bin");

  FileBrowserOptions save = optionsFor(dir, u"*.txt");
  save.defaultExtension = u".txt";
  FileBrowserModel saver(save, cursor);
  EXPECT_TRUE(saver.ok(u"diff", path));
  EXPECT_EQ(path, base + u"diff.txt");
  EXPECT_TRUE(saver.ok(u"DIFF.TXT", path));
  EXPECT_EQ(path, base + u"DIFF.TXT");
  EXPECT_TRUE(saver.ok(u"a.txt.old", path));
  EXPECT_EQ(path, base + u"a.txt.old");
  save.appendExtension = false;
  FileBrowserModel plainSaver(save, cursor);
  EXPECT_TRUE(plainSaver.ok(u"diff", path));
  EXPECT_EQ(path, base + u"diff");

  FileBrowserOptions folder = optionsFor(dir);
  folder.folderMode = true;
  folder.mustExist = true;
  folder.defaultExtension = u".txt";
  FileBrowserModel chooser(folder, cursor);
  EXPECT_TRUE(chooser.ok(u"", path));
  EXPECT_EQ(path, fromUtf8(dir.path()));
  EXPECT_FALSE(chooser.ok(u"README", path));  // a file is not a folder
  ASSERT_TRUE(chooser.chooseFolderItem(0));
  path = u"untouched";
  EXPECT_TRUE(chooser.ok(u"", path));
  EXPECT_EQ(path, u"");  // the root
}

TEST(FileBrowserModel, NewFolderTakesTheFirstFreeNumber) {
  TempDir dir;
  ::mkdir(dir.file("NewFolder").c_str(), 0755);
  ::mkdir(dir.file("NewFolder#2").c_str(), 0755);
  NullWaitCursor cursor;
  FileBrowserModel model(optionsFor(dir), cursor);
  int index = model.createNewFolder();
  ASSERT_GE(index, 0);
  EXPECT_EQ(model.entries()[index].name, u"NewFolder#3");
  EXPECT_EQ(model.lastCreatedFolder(), u"NewFolder#3");
  EXPECT_TRUE(test::exists(dir.file("NewFolder#3")));

  for (int i = 4; i <= 100; ++i) ::mkdir(dir.file("NewFolder#" + std::to_string(i)).c_str(), 0755);
  EXPECT_EQ(model.createNewFolder(), -1);
  EXPECT_FALSE(test::exists(dir.file("NewFolder#101")));
}

TEST(FileBrowserModel, DeleteAsksAndRemovesOnlyOnYes) {
  TempDir dir;
  makeTree(dir);
  writeFile(dir.file("beta/inside"), "i");
  NullWaitCursor cursor;
  FileBrowserModel model(optionsFor(dir), cursor);
  ScriptedMessageBox messages;

  messages.answer(kButtonNo);
  EXPECT_TRUE(model.deleteEntry(model.findEntry(u"README"), messages));
  ASSERT_EQ(messages.shown().size(), 1u);
  EXPECT_EQ(messages.shown()[0].caption, u"Delete ?");
  EXPECT_EQ(messages.shown()[0].style, kStyleQuestion);
  EXPECT_EQ(messages.shown()[0].text, u"README");
  EXPECT_GE(model.findEntry(u"README"), 0);

  messages.answer(kButtonYes);
  messages.answer(kButtonYes);
  messages.answer(kButtonYes);
  EXPECT_TRUE(model.deleteEntry(model.findEntry(u"README"), messages));
  EXPECT_TRUE(model.deleteEntry(model.findEntry(u"Alpha"), messages));
  EXPECT_TRUE(model.deleteEntry(model.findEntry(u"beta"), messages));  // not empty: stays
  EXPECT_EQ(model.findEntry(u"README"), -1);
  EXPECT_EQ(model.findEntry(u"Alpha"), -1);
  EXPECT_GE(model.findEntry(u"beta"), 0);

  // An entry that vanished behind the list's back is left alone without a question.
  ::unlink(dir.file("Apple.bin").c_str());
  messages.clear();
  EXPECT_FALSE(model.deleteEntry(model.findEntry(u"Apple.bin"), messages));
  EXPECT_TRUE(messages.shown().empty());
}

TEST(FileBrowserModel, RenameMovesOnlyToAPlainNewName) {
  TempDir dir;
  makeTree(dir);
  NullWaitCursor cursor;
  FileBrowserModel model(optionsFor(dir), cursor);
  ScriptedMessageBox messages;
  std::u16string path;

  ASSERT_TRUE(model.beginRename(model.findEntry(u"README")));
  EXPECT_TRUE(model.labelEditing());
  // While a name is being edited, commands are left alone.
  EXPECT_FALSE(model.beginRename(0));
  EXPECT_FALSE(model.folderUp());
  EXPECT_FALSE(model.ok(u"README", path));
  EXPECT_EQ(model.createNewFolder(), -1);
  EXPECT_FALSE(model.deleteEntry(0, messages));
  EXPECT_TRUE(messages.shown().empty());
  std::u16string newName = u"README.md";
  model.endRename(&newName);
  EXPECT_FALSE(model.labelEditing());
  EXPECT_TRUE(test::exists(dir.file("README.md")));
  EXPECT_GE(model.findEntry(u"README.md"), 0);

  for (const char16_t* bad : {u"", u"..", u"../escaped", u"Alpha/inside"}) {
    ASSERT_TRUE(model.beginRename(model.findEntry(u"README.md")));
    std::u16string badName = bad;
    model.endRename(&badName);
  }
  ASSERT_TRUE(model.beginRename(model.findEntry(u"README.md")));
  model.endRename(nullptr);
  EXPECT_TRUE(test::exists(dir.file("README.md")));
  EXPECT_FALSE(test::exists(dir.file("../escaped")));
  EXPECT_FALSE(test::exists(dir.file("Alpha/inside")));

  // A name taken by another entry is not replaced.
  ASSERT_TRUE(model.beginRename(model.findEntry(u"README.md")));
  std::u16string taken = u"Apple.bin";
  model.endRename(&taken);
  EXPECT_EQ(test::readFile(dir.file("Apple.bin")), std::vector<std::uint8_t>{'a'});
}

TEST(FileBrowserModel, LinksWhoseTargetIsGoneAreListedDeletedAndRenamed) {
  TempDir dir;
  makeTree(dir);
  ASSERT_EQ(::symlink(dir.file("nowhere").c_str(), dir.file("broken").c_str()), 0);
  ASSERT_EQ(::symlink(dir.file("Alpha").c_str(), dir.file("toAlpha").c_str()), 0);
  NullWaitCursor cursor;
  FileBrowserModel model(optionsFor(dir), cursor);
  ScriptedMessageBox messages;

  int broken = model.findEntry(u"broken");
  ASSERT_GE(broken, 0);
  EXPECT_FALSE(model.entries()[broken].isFolder());
  EXPECT_EQ(model.entries()[broken].type, EntryType::BrokenLink);
  EXPECT_EQ(model.entries()[broken].sizeText, u"");

  ASSERT_TRUE(model.beginRename(broken));
  std::u16string newName = u"stale";
  model.endRename(&newName);
  EXPECT_EQ(model.findEntry(u"broken"), -1);
  ASSERT_GE(model.findEntry(u"stale"), 0);

  // Delete removes the link itself, also one that points at a folder, never the target.
  messages.answer(kButtonYes);
  messages.answer(kButtonYes);
  EXPECT_TRUE(model.deleteEntry(model.findEntry(u"stale"), messages, u"L\u00f6schen?"));
  EXPECT_EQ(messages.shown()[0].caption, u"L\u00f6schen?");
  EXPECT_TRUE(model.deleteEntry(model.findEntry(u"toAlpha"), messages));
  EXPECT_EQ(model.findEntry(u"stale"), -1);
  EXPECT_EQ(model.findEntry(u"toAlpha"), -1);
  struct stat st;
  EXPECT_NE(::lstat(dir.file("stale").c_str(), &st), 0);
  EXPECT_TRUE(test::exists(dir.file("Alpha")));
}

TEST(FileBrowserModel, PipesSocketsDevicesAndDeadLinksAreListedAsWhatTheyAreAndRefusedWithAReason) {
  TempDir dir;
  ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0);
  int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::string socketPath = dir.file("sock");
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  std::copy(socketPath.begin(), socketPath.end(), address.sun_path);
  ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::symlink("/dev/null", dir.file("null").c_str()), 0);
  ASSERT_EQ(::symlink(dir.file("loopB").c_str(), dir.file("loopA").c_str()), 0);
  ASSERT_EQ(::symlink(dir.file("loopA").c_str(), dir.file("loopB").c_str()), 0);
  ASSERT_EQ(::symlink(dir.file("gone").c_str(), dir.file("dead").c_str()), 0);
  writeFile(dir.file("plain.bin"), "p");
  NullWaitCursor cursor;
  const std::u16string base = fromUtf8(dir.path()) + u"/";

  FileBrowserOptions open = optionsFor(dir);
  open.mustExist = true;
  FileBrowserModel model(open, cursor);
  struct Case {
    const char16_t* name;
    EntryType type;
    int reason;
  } cases[] = {
      {u"pipe", EntryType::Fifo, kIdsIsFifo},          {u"sock", EntryType::Socket, kIdsIsSocket},
      {u"null", EntryType::Device, kIdsIsDevice},      {u"loopA", EntryType::LinkLoop, kIdsIsLinkLoop},
      {u"dead", EntryType::BrokenLink, kIdsIsBrokenLink},
  };
  std::u16string path = u"untouched";
  for (const Case& c : cases) {
    SCOPED_TRACE(toUtf8(c.name));
    int index = model.findEntry(c.name);
    ASSERT_GE(index, 0);
    EXPECT_EQ(model.entries()[index].type, c.type);
    EXPECT_FALSE(model.entries()[index].isFolder());
    EXPECT_EQ(model.entries()[index].sizeText, u"");
    EXPECT_NE(typeText(c.type), 0);
    model.setFileName(u"plain.bin");
    model.tapEntry(index);
    EXPECT_EQ(model.refusal(), c.reason);
    EXPECT_EQ(model.refusedPath(), base + c.name);
    EXPECT_EQ(model.fileName(), u"plain.bin");
    EXPECT_EQ(model.doubleTapEntry(index), FileBrowserModel::DoubleTap::Nothing);
    EXPECT_FALSE(model.ok(c.name, path));
    EXPECT_EQ(model.refusal(), c.reason);
  }
  EXPECT_EQ(path, u"untouched");
  model.tapEntry(model.findEntry(u"plain.bin"));
  EXPECT_EQ(model.refusal(), 0);
  EXPECT_FALSE(model.ok(u"missing", path));
  EXPECT_EQ(model.refusal(), 0);  // a missing name is refused without a word, as before

  // Saving may go through a dead link, never into a pipe or a device.
  FileBrowserOptions save = optionsFor(dir);
  FileBrowserModel saver(save, cursor);
  EXPECT_TRUE(saver.ok(u"dead", path));
  EXPECT_EQ(path, base + u"dead");
  EXPECT_FALSE(saver.ok(u"pipe", path));
  EXPECT_EQ(saver.refusal(), kIdsIsFifo);
  EXPECT_FALSE(saver.ok(u"null", path));
  ::close(sock);
}

TEST(FileBrowserModel, RenamingTheFileInTheBoxRenamesTheBoxText) {
  TempDir dir;
  makeTree(dir);
  NullWaitCursor cursor;
  FileBrowserOptions options = optionsFor(dir);
  options.mustExist = true;
  FileBrowserModel model(options, cursor);
  model.tapEntry(model.findEntry(u"README"));
  ASSERT_EQ(model.fileName(), u"README");

  // A failed move (the name is taken) leaves the text as it was.
  ASSERT_TRUE(model.beginRename(model.findEntry(u"README")));
  std::u16string taken = u"Apple.bin";
  model.endRename(&taken);
  EXPECT_EQ(model.fileName(), u"README");

  ASSERT_TRUE(model.beginRename(model.findEntry(u"README")));
  std::u16string newName = u"README.md";
  model.endRename(&newName);
  EXPECT_EQ(model.fileName(), u"README.md");
  std::u16string path;
  ASSERT_TRUE(model.ok(model.fileName(), path));
  EXPECT_EQ(path, fromUtf8(dir.file("README.md")));

  // Renaming another entry leaves the text alone.
  ASSERT_TRUE(model.beginRename(model.findEntry(u"Apple.bin")));
  std::u16string other = u"Pear.bin";
  model.endRename(&other);
  EXPECT_EQ(model.fileName(), u"README.md");
}

}  // namespace
}  // namespace nibblet
