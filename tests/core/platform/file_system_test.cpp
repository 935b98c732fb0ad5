#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

#include <gtest/gtest.h>

#include "core/platform/file_system.h"
#include "core/platform/mapped_file.h"
#include "core/platform/unicode.h"
#include "support/temp_dir.h"

namespace nibblet {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

TEST(MappedFile, OpensWholeFilesAndRefusesTheRest) {
  TempDir dir;
  writeFile(dir.file("a.bin"), std::vector<std::uint8_t>{1, 2, 3});
  writeFile(dir.file("empty.bin"), std::vector<std::uint8_t>{});
  std::filesystem::create_directory(dir.file("folder"));

  MappedFile file;
  EXPECT_EQ(file.open(dir.u16("missing"), Access::ReadOnly), ENOENT);
  EXPECT_FALSE(file.isOpen());
  EXPECT_EQ(file.open(dir.u16("folder"), Access::ReadOnly), EISDIR);
  EXPECT_EQ(file.open(dir.u16("empty.bin"), Access::ReadWrite), EINVAL);
  EXPECT_EQ(file.size(), 0u);

  ASSERT_EQ(file.open(dir.u16("a.bin"), Access::ReadWrite), 0);
  EXPECT_EQ(file.size(), 3u);
  file.bytes()[2] = 9;
  // Re-opening closes what was held; the write has reached the file without a save.
  ASSERT_EQ(file.open(dir.u16("a.bin"), Access::ReadOnly), 0);
  EXPECT_EQ(file.bytes()[2], 9);
  file.close();
  file.close();
  EXPECT_EQ(file.bytes(), nullptr);
  EXPECT_EQ(readFile(dir.file("a.bin")), (std::vector<std::uint8_t>{1, 2, 9}));
}

TEST(FileSystem, CopyReplacesAtomicallyAndKindsAreTold) {
  TempDir dir;
  writeFile(dir.file("src"), std::string("new content"));
  writeFile(dir.file("dst"), std::string("old"));
  EXPECT_EQ(copyFileReplacing(dir.u16("src"), dir.u16("dst"), true), 0);
  EXPECT_EQ(readFile(dir.file("dst")).size(), 11u);
  EXPECT_EQ(copyFileReplacing(dir.u16("missing"), dir.u16("dst"), true), ENOENT);
  EXPECT_EQ(readFile(dir.file("dst")).size(), 11u);
  // No stray temporary files are left behind.
  int files = 0;
  for (auto& e : std::filesystem::directory_iterator(dir.path())) files += e.is_regular_file();
  EXPECT_EQ(files, 2);

  EXPECT_EQ(fileKind(dir.u16("src")), FileKind::File);
  EXPECT_EQ(fileKind(fromUtf8(dir.path())), FileKind::Folder);
  EXPECT_EQ(fileKind(dir.u16("nothing")), FileKind::Missing);
  EXPECT_EQ(fileKind(u""), FileKind::Missing);
}

TEST(FileSystem, FoldersAlongAPathMovesAndListing) {
  TempDir dir;
  EXPECT_EQ(createMissingFolders(dir.u16("a/b/c/file.bin")), 0);
  EXPECT_TRUE(isFolder(dir.u16("a/b/c")));
  EXPECT_FALSE(isFolder(dir.u16("a/b/c/file.bin")));
  // A file in the way stops the walk with its error.
  writeFile(dir.file("x"), std::string("file"));
  EXPECT_EQ(createMissingFolders(dir.u16("x/y/z")), EEXIST);

  writeFile(dir.file("a/one"), std::string("1"));
  writeFile(dir.file("a/two"), std::string("22"));
  EXPECT_EQ(moveFile(dir.u16("a/one"), dir.u16("a/two")), EEXIST);
  EXPECT_EQ(moveFile(dir.u16("a/one"), dir.u16("a/three")), 0);

  std::vector<FolderEntry> entries;
  ASSERT_EQ(listFolder(dir.u16("a"), entries), 0);
  ASSERT_EQ(entries.size(), 3u);
  for (const FolderEntry& e : entries) {
    if (e.name == u"b") {
      EXPECT_TRUE(e.attributes & kAttrDirectory);
    }
    if (e.name == u"two") {
      EXPECT_EQ(e.size, 2u);
    }
  }
  // A name that is not UTF-8 is left out rather than listed under a look-alike name.
  writeFile(dir.file("a/bad\xff"), std::string("x"));
  writeFile(dir.file("a/bad\xef\xbf\xbd"), std::string("y"));
  ASSERT_EQ(listFolder(dir.u16("a"), entries), 0);
  EXPECT_EQ(entries.size(), 4u);
  EXPECT_NE(listFolder(dir.u16("nothing"), entries), 0);
  EXPECT_TRUE(entries.empty());
  EXPECT_EQ(fileNamePart(u"/a/b.bin"), u"b.bin");
  EXPECT_EQ(fileNamePart(u"b.bin"), u"b.bin");
}

}  // namespace
}  // namespace nibblet
