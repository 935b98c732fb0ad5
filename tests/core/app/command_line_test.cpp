#include "core/app/command_line.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
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

// Linux names are bytes. A name that is not UTF-8 must open nothing rather than the file its
// U+FFFD look-alike names, which may well exist.
TEST(CommandLine, NamesThatAreNotUtf8OpenNothing) {
  std::u16string text;
  const char* good[] = {"nibblet", "caf\xc3\xa9.bin", "OPEN(/x)"};
  EXPECT_TRUE(commandLineText(3, good, text));
  EXPECT_EQ(text, u"caf\u00e9.bin OPEN(/x)");
  for (const char* bad : {"\xff.bin", "caf\xe9.bin", "\xc0\xae.bin", "\xed\xa0\x80.bin"}) {
    const char* arguments[] = {"nibblet", bad};
    EXPECT_FALSE(commandLineText(2, arguments, text)) << bad;
  }

  // A relative name in a current folder that is not UTF-8, beside the folder's look-alike.
  test::TempDir dir;
  std::filesystem::path raw = dir.file("\xff"), alike = dir.file("\xef\xbf\xbd");
  std::filesystem::create_directory(raw);
  std::filesystem::create_directory(alike);
  test::writeFile(raw / "a.bin", "raw");
  test::writeFile(alike / "a.bin", "look-alike");
  std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(raw);
  std::vector<std::u16string> asked;
  auto exists = [&asked](const std::u16string& p) {
    asked.push_back(p);
    return isFile(p);
  };
  int error = 0;
  std::u16string out;
  EXPECT_FALSE(absolutePath(u"a.bin", out, &error));
  EXPECT_EQ(error, EILSEQ);
  EXPECT_EQ(commandLinePath(u"a.bin", exists, &error), u"a.bin");
  EXPECT_EQ(error, EILSEQ);
  EXPECT_EQ(commandLinePath(u"OPEN(a.bin)", exists, &error), u"a.bin");
  EXPECT_EQ(error, EILSEQ);
  // An absolute name does not depend on the current folder.
  std::u16string absolute = fromUtf8(alike.string()) + u"/a.bin";
  EXPECT_EQ(commandLinePath(absolute, exists, &error), absolute);
  EXPECT_EQ(error, 0);
  std::filesystem::current_path(previous);
  // Every name asked about is one the program could spell back.
  for (const std::u16string& p : asked) EXPECT_EQ(p.find(u'\uFFFD') == std::u16string::npos, p != absolute);
}

}  // namespace
}  // namespace nibblet
