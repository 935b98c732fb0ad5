#include "core/platform/lexical_path.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "core/platform/unicode.h"
#include "support/temp_dir.h"

namespace nibblet {
namespace {

TEST(NormalisePath, DropsDotsAndDoubledSeparatorsByTheTextAlone) {
  struct Case {
    const char16_t* path;
    const char16_t* tidy;
  } cases[] = {
      {u"/home/user/bak/../files/orig.bin", u"/home/user/files/orig.bin"},
      {u"//a/./b//c", u"/a/b/c"},
      {u"/a/b/..", u"/a/"},
      {u"/a/b/../", u"/a/"},
      {u"/a/.", u"/a/"},
      {u"/..", u"/"},
      {u"/../../x", u"/x"},
      {u"/", u"/"},
      {u"", u""},
      {u"a/../../b", u"../b"},
      {u"../../x/./y", u"../../x/y"},
      {u"a/..", u"."},
      {u"./", u"."},
      // Names that only look like dots are names.
      {u"/a/.../b/..x", u"/a/.../b/..x"},
  };
  for (const Case& c : cases) EXPECT_EQ(normalisePath(c.path), c.tidy) << toUtf8(c.path);
}

TEST(NormalisePath, KeepsTheDotDotThatFollowsALink) {
  test::TempDir dir;
  std::filesystem::create_directories(dir.file("real/deep"));
  std::filesystem::create_directory_symlink(dir.file("real/deep"), dir.file("link"));
  const std::u16string base = fromUtf8(dir.path());
  // Through the link ".." is real/, not the folder holding the link: the name is kept.
  EXPECT_EQ(normalisePath(base + u"/link/../x.bin"), base + u"/link/../x.bin");
  EXPECT_EQ(normalisePath(base + u"/link/../../y"), base + u"/link/../../y");
  EXPECT_EQ(normalisePath(base + u"/real/deep/../x.bin"), base + u"/real/x.bin");
}

}  // namespace
}  // namespace nibblet
