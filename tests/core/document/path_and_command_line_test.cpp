#include <gtest/gtest.h>

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

}  // namespace
}  // namespace nibblet
