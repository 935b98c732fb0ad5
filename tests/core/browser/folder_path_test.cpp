#include "core/browser/folder_path.h"

#include <gtest/gtest.h>

namespace nibblet {
namespace {

TEST(FolderPath, StartingFolderAlwaysBeginsAndEndsWithTheSeparator) {
  EXPECT_EQ(startingFolder(u""), u"/");
  EXPECT_EQ(startingFolder(u"/"), u"/");
  EXPECT_EQ(startingFolder(u"/home/me"), u"/home/me/");
  EXPECT_EQ(startingFolder(u"/home/me/"), u"/home/me/");
  EXPECT_EQ(startingFolder(u"home//me"), u"/home/me/");
}

TEST(FolderPath, ParentStopsAtTheRoot) {
  EXPECT_EQ(parentFolder(u"/"), u"/");
  EXPECT_EQ(parentFolder(u"/a/"), u"/");
  EXPECT_EQ(parentFolder(u"/a/b/"), u"/a/");
  EXPECT_EQ(parentFolder(u"/a/b"), u"/a/");
}

TEST(FolderPath, DropDownItemsOfADeepFolderAndTheirFolders) {
  const std::u16string folder = u"/usr/share/doc/nibblet/";
  std::vector<std::u16string> expected{u"/", u" usr", u"  share", u"   doc", u"    nibblet"};
  EXPECT_EQ(folderItems(folder), expected);
  EXPECT_EQ(folderItems(u"/"), std::vector<std::u16string>{u"/"});

  EXPECT_EQ(folderOfItem(folder, 0), u"/");
  EXPECT_EQ(folderOfItem(folder, 1), u"/usr/");
  EXPECT_EQ(folderOfItem(folder, 3), u"/usr/share/doc/");
  EXPECT_EQ(folderOfItem(folder, 4), folder);
  EXPECT_EQ(folderOfItem(folder, 5), folder);
}

TEST(FolderPath, JoinMakesDoubledSeparatorsSingle) {
  EXPECT_EQ(joinPath(u"/a/", u"b"), u"/a/b");
  EXPECT_EQ(joinPath(u"/a/", u"/b"), u"/a/b");
  EXPECT_EQ(joinPath(u"/", u"b"), u"/b");
  // A folder without its separator gets one; nothing is added around an empty part.
  EXPECT_EQ(joinPath(u"/a", u"b"), u"/a/b");
  EXPECT_EQ(joinPath(u"/a//b", u""), u"/a/b");
  EXPECT_EQ(joinPath(u"", u"b"), u"b");
  EXPECT_EQ(withSeparator(u"/a"), u"/a/");
  EXPECT_EQ(withSeparator(u"/a/"), u"/a/");
  EXPECT_EQ(withSeparator(u""), u"/");
}

TEST(FolderPath, PlainNamesCannotLeaveTheFolder) {
  EXPECT_TRUE(isPlainName(u"NewFolder#2"));
  EXPECT_TRUE(isPlainName(u".hidden"));
  EXPECT_FALSE(isPlainName(u""));
  EXPECT_FALSE(isPlainName(u"."));
  EXPECT_FALSE(isPlainName(u".."));
  EXPECT_FALSE(isPlainName(u"../x"));
  EXPECT_FALSE(isPlainName(u"a/b"));
  EXPECT_FALSE(isPlainName(std::u16string(u"a\0b", 3)));
}

TEST(FolderPath, ExtensionAppendedOnlyWhenTheNameLacksItAnywhere) {
  EXPECT_EQ(withDefaultExtension(u"/d/diff", u".txt"), u"/d/diff.txt");
  EXPECT_EQ(withDefaultExtension(u"/d/diff.TXT", u".txt"), u"/d/diff.TXT");
  EXPECT_EQ(withDefaultExtension(u"/d/a.txt.bak", u".txt"), u"/d/a.txt.bak");
  EXPECT_EQ(withDefaultExtension(u"/d/diff", u""), u"/d/diff");
  // The folders on the way do not count: only the file's own name.
  EXPECT_EQ(withDefaultExtension(u"/old.txt/diff", u".txt"), u"/old.txt/diff.txt");
}

}  // namespace
}  // namespace nibblet
