#include <gtest/gtest.h>

#include "core/platform/file_system.h"
#include "core/platform/registry_key.h"
#include "core/settings/colour_text.h"
#include "core/settings/recent_files.h"
#include "core/settings/settings.h"
#include "core/settings/settings_store.h"

namespace nibblet {
namespace {

std::u16string textAt(const std::vector<std::uint8_t>& b, std::size_t at) {
  std::u16string s;
  for (std::size_t i = at; b[i] | b[i + 1]; i += 2) s += static_cast<char16_t>(b[i] | (b[i + 1] << 8));
  return s;
}

std::int32_t intAt(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::int32_t>(b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) |
                                   (static_cast<std::uint32_t>(b[at + 3]) << 24));
}

TEST(Settings, DefaultRecordLayoutByteByByte) {
  std::vector<std::uint8_t> b = Settings::defaults(u"/w").toBytes();
  ASSERT_EQ(b.size(), 1568u);
  EXPECT_EQ(textAt(b, 0), u"0,255,0");
  EXPECT_EQ(textAt(b, 100), u"250,152,5");
  EXPECT_EQ(textAt(b, 200), u"200,250,255");
  EXPECT_EQ(textAt(b, 300), u"/w");
  EXPECT_EQ(intAt(b, 820), 0);
  EXPECT_EQ(intAt(b, 824), 0);
  EXPECT_EQ(intAt(b, 828), 12);
  EXPECT_EQ(b[832], 0);
  EXPECT_EQ(textAt(b, 1352), u"200,200,200");
  EXPECT_EQ(intAt(b, 1452), 1);
  EXPECT_EQ(intAt(b, 1456), 0);
  EXPECT_EQ(intAt(b, 1460), 0);
  EXPECT_EQ(textAt(b, 1464), u"255,255,0");
  EXPECT_EQ(b[1564], 3);
  EXPECT_EQ(b[1565], 2);
  EXPECT_EQ(b[1566], 1);
  EXPECT_EQ(b[1567], 1);
  // Everything after each text's terminator is zero.
  for (std::size_t i = 100 + 2 * 9 + 2; i < 200; ++i) EXPECT_EQ(b[i], 0) << i;
  for (std::size_t i = 832; i < 1352; ++i) EXPECT_EQ(b[i], 0) << i;
}

TEST(Settings, MissingOrMalformedRecordIsReplacedAndWrittenBack) {
  struct Case {
    const char* what;
    bool present;
    ValueType type;
    std::size_t length;
  } cases[] = {
      {"missing", false, ValueType::Binary, 0},
      {"one byte short", true, ValueType::Binary, 1567},
      {"one byte long", true, ValueType::Binary, 1569},
      {"longer than the read buffer", true, ValueType::Binary, 9000},
      {"a string", true, ValueType::String, 0},
      {"another type", true, ValueType::Other, 0},
  };
  for (const Case& c : cases) {
    MemoryRegistryKey key;
    if (c.present) {
      RegistryValue v;
      v.type = c.type;
      v.binary.assign(c.length, 0xAB);
      v.text = u"junk";
      key.put(u"main", v);
    }
    Settings s;
    s.fontSize = 99;
    EXPECT_FALSE(loadSettings(key, s, u"/w")) << c.what;
    EXPECT_EQ(s.fontSize, 12) << c.what;
    RegistryValue stored;
    ASSERT_TRUE(key.query(u"main", stored)) << c.what;
    EXPECT_EQ(stored.type, ValueType::Binary) << c.what;
    EXPECT_EQ(stored.binary, Settings::defaults(u"/w").toBytes()) << c.what;
  }
}

TEST(Settings, RoundTripKeepsEveryField) {
  Settings s = Settings::defaults(u"/work");
  setText(s.changesColor, u"1,2,3");
  setText(s.backupPath, u"/backup/");
  s.languageIndex = -7;
  s.openMode = 1;
  s.fontSize = 18;
  s.useClearType = 0;
  s.useBoldFont = 1;
  s.rowListColumnWidth = 123456;
  s.convertFrom = 0;
  s.convertTo = 255;
  s.convertCopyAs = 5;
  s.showToolbar = 0;
  MemoryRegistryKey key;
  ASSERT_TRUE(storeSettings(key, s));
  Settings loaded;
  ASSERT_TRUE(loadSettings(key, loaded, u"/other"));
  EXPECT_EQ(loaded.toBytes(), s.toBytes());
  EXPECT_EQ(key.writeCount(), 1);  // a good record is not written back on load
}

TEST(Settings, DamagedRecordIsReadWithinItsBounds) {
  // Every byte 0xFF: no text has a terminator and every number is out of range.
  MemoryRegistryKey key;
  RegistryValue v;
  v.type = ValueType::Binary;
  v.binary.assign(kSettingsSize, 0xFF);
  key.put(u"main", v);
  Settings s;
  ASSERT_TRUE(loadSettings(key, s, u"/w"));
  EXPECT_EQ(textOf(s.workPath).size(), kPathChars);
  EXPECT_EQ(textOf(s.changesColor).size(), kColorTextChars);
  EXPECT_EQ(s.fontSize, -1);
  EXPECT_EQ(s.boundedFontSize(), 10);
  s.fontSize = 1 << 30;
  EXPECT_EQ(s.boundedFontSize(), 18);
}

TEST(Settings, StringValuesAreReadOnlyAsStringsAndBounded) {
  MemoryRegistryKey key;
  key.setString(u"lastFDPath", std::u16string(400, u'x'));
  EXPECT_EQ(loadLastFolder(key).size(), 259u);
  RegistryValue v;
  v.type = ValueType::Binary;
  v.binary = {1, 2, 3};
  key.put(u"lastFDPath", v);
  EXPECT_EQ(loadLastFolder(key), u"");
  storeLastFolder(key, u"/data/");
  EXPECT_EQ(loadLastFolder(key), u"/data/");
}

TEST(RecentFiles, MostRecentFirstIgnoringCaseAndAllNineWritten) {
  MemoryRegistryKey key;
  RecentFiles recent;
  recent.load(key);
  recent.add(key, u"/a.bin");
  recent.add(key, u"/b.bin");
  recent.add(key, u"/A.BIN");
  EXPECT_EQ(recent.entry(0), u"/A.BIN");
  EXPECT_EQ(recent.entry(1), u"/b.bin");
  EXPECT_EQ(recent.entry(2), u"");
  // Names that differ in more than case both stay, outside ASCII too.
  recent.add(key, u"/\u013a.bin");
  recent.add(key, u"/\u013b.bin");
  EXPECT_EQ(recent.entry(0), u"/\u013b.bin");
  EXPECT_EQ(recent.entry(1), u"/\u013a.bin");
  recent.add(key, u"/\u0139.BIN");
  EXPECT_EQ(recent.entry(0), u"/\u0139.BIN");
  EXPECT_EQ(recent.entry(1), u"/\u013b.bin");
  EXPECT_EQ(recent.entry(2), u"/A.BIN");
  std::u16string here;
  ASSERT_TRUE(absolutePath(u"rel.bin", here));
  recent.add(key, u"./rel.bin");
  EXPECT_EQ(recent.entry(0), here);
  EXPECT_EQ(here.front(), u'/');
  for (int i = 0; i < 9; ++i) EXPECT_TRUE(key.has(u"MRU" + std::u16string(1, char16_t(u'0' + i))));

  for (int i = 0; i < 10; ++i) recent.add(key, u"/f" + std::u16string(1, char16_t(u'0' + i)));
  EXPECT_EQ(recent.entry(0), u"/f9");
  EXPECT_EQ(recent.entry(8), u"/f1");  // the tenth file dropped the oldest

  RecentFiles reloaded;
  reloaded.load(key);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(reloaded.entry(i), recent.entry(i));

  // The newest file opened again writes nothing; a value of another type is written over.
  int writes = key.writeCount();
  reloaded.add(key, u"/f9");
  EXPECT_EQ(key.writeCount(), writes);
  key.put(u"MRU8", RegistryValue{ValueType::Binary, {1}, u""});
  RecentFiles damaged;
  damaged.load(key);
  damaged.add(key, u"/f9");
  EXPECT_GT(key.writeCount(), writes);
  RegistryValue value;
  ASSERT_TRUE(key.query(u"MRU8", value));
  EXPECT_EQ(value.type, ValueType::String);
}

TEST(RecentFiles, LoadEmptiesEntriesOfOtherTypesAndTidiesPaths) {
  MemoryRegistryKey key;
  key.setString(u"MRU0", u"/x");
  key.setString(u"MRU2", u"/home/user/bak/..//files/./orig.bin");
  RegistryValue v;
  v.type = ValueType::Other;
  key.put(u"MRU1", v);
  RecentFiles recent;
  recent.load(key);
  EXPECT_EQ(recent.entry(0), u"/x");
  EXPECT_EQ(recent.entry(1), u"");
  EXPECT_EQ(recent.entry(2), u"/home/user/files/orig.bin");
}

TEST(ColourText, SeparatorsPiecesAndLowBits) {
  struct Case {
    std::u16string text;
    int r, g, b;
  } cases[] = {
      {u"250,152,5", 250, 152, 5},
      {u"300;20 10", 44, 20, 10},
      {u"7", 7, 0, 0},
      {u"", 0, 0, 0},
      {u",,; 1;;2  3", 1, 2, 3},
      {u"1x,2,3", 1, 2, 3},
      {u"x,2,3", 0, 2, 3},
      {u"1,2,3,4", 1, 2, 3},
      {u"256,257,511", 0, 1, 255},
  };
  for (const Case& c : cases) {
    std::uint32_t colour = parseColour(c.text);
    EXPECT_EQ(redOf(colour), c.r);
    EXPECT_EQ(greenOf(colour), c.g);
    EXPECT_EQ(blueOf(colour), c.b);
  }
  // Only the first 80 characters count.
  std::u16string padded = std::u16string(79, u' ') + u"12,34";
  EXPECT_EQ(parseColour(padded), 1u);
}

}  // namespace
}  // namespace nibblet
