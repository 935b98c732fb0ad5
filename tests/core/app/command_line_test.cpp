#include "core/app/command_line.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "core/platform/file_system.h"
#include "core/platform/unicode.h"
#include "support/temp_dir.h"

namespace nibblet {
namespace {

TEST(CommandLine, PlainPathOrOpenKeyword) {
  auto exists = [](const std::u16string& p) { return p == u"/docs/x.bin" || p == u"/a(1).bin"; };
  struct Case {
    std::u16string line;
    std::u16string path;
  } cases[] = {
      {u"/docs/x.bin", u"/docs/x.bin"},
      {u"open(/My Documents/x.bin)", u"/My Documents/x.bin"},
      {u"-x OpEn(/y.bin) trailing", u"/y.bin"},
      {u"OPEN(/a(1).bin)", u"/a(1).bin"},
      {u"OPEN(/a.bin", u""},
      {u"OPEN (/a.bin)", u""},
      {u"/missing.bin", u""},
      {u"", u""},
      {u"OPEN()", u""},
  };
  for (const Case& c : cases) EXPECT_EQ(commandLinePath(c.line, exists), c.path);

  // Only 1023 characters after the parenthesis are examined.
  std::u16string inside = u"/" + std::u16string(1021, u'a');
  EXPECT_EQ(commandLinePath(u"OPEN(" + inside + u")", exists), inside);
  EXPECT_EQ(commandLinePath(u"OPEN(" + inside + u"b)", exists), u"");
}

TEST(CommandLine, RelativePathsBecomeAbsoluteWithoutResolvingLinks) {
  test::TempDir dir;
  std::filesystem::create_directory(dir.file("real"));
  test::writeFile(dir.file("real/x.bin"), "x");
  std::filesystem::create_directory_symlink(dir.file("real"), dir.file("link"));
  std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  auto exists = [](const std::u16string& p) { return isFile(p); };
  std::u16string base = fromUtf8(std::filesystem::current_path().string());
  EXPECT_EQ(commandLinePath(u"link/x.bin", exists), base + u"/link/x.bin");
  EXPECT_EQ(commandLinePath(u"./link//./x.bin", exists), base + u"/link/x.bin");
  EXPECT_EQ(commandLinePath(u"OPEN(real/x.bin)", exists), base + u"/real/x.bin");
  EXPECT_EQ(commandLinePath(u"real/../real/x.bin", exists), base + u"/real/x.bin");
  EXPECT_EQ(commandLinePath(u"OPEN(link/../real/x.bin)", exists), base + u"/link/../real/x.bin");
  std::filesystem::current_path(previous);

  std::u16string out;
  ASSERT_TRUE(absolutePath(u"/a//./b/", out));
  EXPECT_EQ(out, u"/a/b/");
  ASSERT_TRUE(absolutePath(u"/", out));
  EXPECT_EQ(out, u"/");
  ASSERT_TRUE(absolutePath(u"/a/.", out));
  EXPECT_EQ(out, u"/a/");
}

}  // namespace
}  // namespace nibblet
