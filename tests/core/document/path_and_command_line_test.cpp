#include <gtest/gtest.h>

#include "core/document/command_line.h"
#include "core/document/hex_document.h"
#include "core/document/path_hash.h"

namespace nibblet {
namespace {

TEST(PathHash, KnownValuesAndCopyName) {
  EXPECT_EQ(pathHash(u"abc"), 0x37016CD7u);
  EXPECT_EQ(pathHash(u"\\My Documents\\test.bin"), 0x27CD9F5Du);
  EXPECT_EQ(pathHash(u""), 0u);
  EXPECT_EQ(HexDocument::temporaryCopyName(u"/temp", 0x2C, u"\\My Documents\\test.bin"),
            u"/temp/nbt2C27CD9F5D.tmp");
  EXPECT_EQ(HexDocument::temporaryCopyName(u"/temp/", 0x2C, u"\\My Documents\\test.bin"),
            u"/temp/nbt2C27CD9F5D.tmp");
  // An empty work folder means the root folder.
  EXPECT_EQ(HexDocument::temporaryCopyName(u"", 1, u"abc"), u"/nbt137016CD7.tmp");
}

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
  std::u16string inside(1022, u'a');
  EXPECT_EQ(commandLinePath(u"OPEN(" + inside + u")", exists), inside);
  EXPECT_EQ(commandLinePath(u"OPEN(" + inside + u"b)", exists), u"");
}

}  // namespace
}  // namespace nibblet
