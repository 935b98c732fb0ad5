#include <gtest/gtest.h>

#include "core/convert/converter_model.h"
#include "core/i18n/string_ids.h"
#include "core/view/hex_view.h"

namespace nibblet {
namespace {

class CellMeasure : public TextMeasure {
 public:
  int width(std::u16string_view text) const override { return 8 * static_cast<int>(text.size()); }
  int height(std::u16string_view) const override { return 16; }
};

// A converter over a view whose clipboard a test fills, with the settings' defaults.
struct Converter {
  CellMeasure measure;
  HexView view{measure};
  Settings settings = Settings::defaults(u"");
  Evaluator evaluator;
  Utf8CodePage codePage;
  std::uint32_t value = 77;

  ConverterModel open(std::vector<std::uint8_t> clipboard, bool withView = true) {
    view.setClipboard(clipboard.data(), clipboard.size());
    return ConverterModel(settings, evaluator, codePage, value, withView ? &view : nullptr);
  }
  std::vector<std::uint8_t> clipboard() const {
    return {view.clipboard(), view.clipboard() + view.clipboardCount()};
  }
};

TEST(ConverterModel, StartsFromTheClipboardsNumberByItsCount) {
  Converter c;
  ConverterModel m = c.open({0x34, 0x12});
  EXPECT_EQ(m.input(), u"1234");  // from hex
  EXPECT_EQ(m.result(), u"4660");  // to dec
  EXPECT_EQ(c.open({0x78, 0x56, 0x34, 0x12}).value(), 0x12345678u);
  EXPECT_EQ(c.open({0xFF}).value(), 255u);
  EXPECT_EQ(c.open({1, 2, 3}).value(), 0u);
  EXPECT_EQ(c.open({}).input(), u"0");

  // Without a document: "0", only "No copy", and OK changes nothing.
  c.value = 99;
  ConverterModel none = c.open({0x34, 0x12}, /*withView=*/false);
  EXPECT_EQ(none.input(), u"0");
  EXPECT_EQ(none.result(), u"0");
  EXPECT_EQ(c.value, 0u);
  EXPECT_EQ(none.copyAsTextIds(), std::vector<int>{kIdsNoCopy});
  EXPECT_EQ(none.copyAsIndex(), 0);
  none.convert(u"300", 2, 3);
  none.ok(1);
  EXPECT_EQ(c.settings.convertCopyAs, 1);
  EXPECT_EQ(c.clipboard(), (std::vector<std::uint8_t>{0x34, 0x12}));
}

TEST(ConverterModel, ParsesTheLongestRunOfDigitsWithSaturationAndSign) {
  struct Case {
    const char16_t* text;
    int base;
    std::uint32_t value;
  } cases[] = {
      {u"ff", 16, 255},          {u"FF", 16, 255},         {u"0xff", 16, 255},       {u"0Xff", 16, 255},
      {u"0x", 16, 0},            {u"0xg", 16, 0},          {u"0x10", 10, 0},         {u"102", 2, 2},
      {u"  \t42xyz", 10, 42},    {u"+7", 8, 7},            {u"9", 8, 0},             {u"", 10, 0},
      {u"4294967295", 10, 0xFFFFFFFF}, {u"4294967296", 10, 0xFFFFFFFF}, {u"99999999999999999999", 10, 0xFFFFFFFF},
      {u"-1", 10, 0xFFFFFFFF},   {u"-0x10", 16, 0xFFFFFFF0}, {u"- 1", 10, 0},         {u"0.75", 10, 0},
      {u"1e5", 10, 1},           {u"fffffffff", 16, 0xFFFFFFFF},
  };
  for (const Case& k : cases)
    EXPECT_EQ(ConverterModel::parseNumber(k.text, k.base), k.value) << std::string(k.text, k.text + 3);
  EXPECT_EQ(ConverterModel::numberText(0, 2), u"0");
  EXPECT_EQ(ConverterModel::numberText(0xFFFFFFFF, 16), u"ffffffff");
  EXPECT_EQ(ConverterModel::numberText(8, 8), u"10");
  EXPECT_EQ(ConverterModel::numberText(5, 2), u"101");
  EXPECT_EQ(ConverterModel::baseOf(7), 10);
}

TEST(ConverterModel, ConvertsOnEveryChangeAndKeepsTheValueOfAnEmptyInput) {
  Converter c;
  ConverterModel m = c.open({});
  EXPECT_FALSE(m.isEqualsEnabled());  // from hex
  m.convert(u"300", 2, 3);
  EXPECT_TRUE(m.isEqualsEnabled());
  EXPECT_EQ(m.result(), u"12c");
  EXPECT_EQ(c.settings.convertFrom, 2);
  EXPECT_EQ(c.settings.convertTo, 3);
  m.convert(u"", 2, 3);
  EXPECT_EQ(m.result(), u"");
  EXPECT_EQ(m.value(), 300u);
  m.ok(1);
  EXPECT_EQ(c.clipboard(), std::vector<std::uint8_t>{0x2C});
  EXPECT_EQ(c.settings.convertCopyAs, 1);

  m.convert(u"-1", 2, 3);
  EXPECT_EQ(m.result(), u"ffffffff");
  // A stored choice outside its list shows as what it stands for.
  c.settings.convertFrom = 9;
  c.settings.convertCopyAs = 42;
  ConverterModel odd = c.open({0x10});
  EXPECT_EQ(odd.fromIndex(), 2);
  EXPECT_EQ(odd.input(), u"16");
  EXPECT_EQ(odd.copyAsIndex(), 0);
}

TEST(ConverterModel, CopiesTheNumberInEveryByteOrder) {
  Converter c;
  ConverterModel m = c.open({});
  m.convert(u"305419896", 2, 3);
  const std::vector<std::vector<std::uint8_t>> expected = {
      {}, {0x78}, {0x78, 0x56}, {0x78, 0x56, 0x34, 0x12}, {0x56, 0x78}, {0x12, 0x34, 0x56, 0x78}};
  for (int row = 1; row <= 5; ++row) {
    m.ok(row);
    EXPECT_EQ(c.clipboard(), expected[static_cast<std::size_t>(row)]) << row;
  }
  m.ok(0);  // "No copy" leaves the clipboard as it is
  EXPECT_EQ(c.clipboard(), expected[5]);
  EXPECT_EQ(c.settings.convertCopyAs, 0);
}

TEST(ConverterModel, EqualsEvaluatesAndParsesTheAnswerLikeTypedInput) {
  Converter c;
  ConverterModel m = c.open({});
  m.convert(u"2+3", 2, 3);
  EXPECT_TRUE(m.evaluate());
  EXPECT_EQ(m.input(), u"5");
  EXPECT_EQ(m.result(), u"5");
  m.convert(u"3/4", 2, 2);
  m.evaluate();
  EXPECT_EQ(m.input(), u"0.75");
  EXPECT_EQ(m.value(), 0u);
  m.convert(u"0-1", 2, 3);
  m.evaluate();
  EXPECT_EQ(m.result(), u"ffffffff");
  // Variables live in the evaluator, so they outlive the dialog.
  m.convert(u"x = 40", 2, 2);
  m.evaluate();
  EXPECT_EQ(m.input(), u"x = 40");
  ConverterModel again = c.open({});
  again.convert(u"x+2", 2, 2);
  again.evaluate();
  EXPECT_EQ(again.input(), u"42");
  again.convert(u"(", 2, 2);
  again.evaluate();
  EXPECT_EQ(again.value(), 0u);  // an error line reads as 0
  again.convert(u"", 2, 2);
  EXPECT_FALSE(again.evaluate());
}

TEST(ConverterModel, EachFromBaseHasAPadOfItsOwnKeysWithoutPairBlanks) {
  struct Case {
    int fromIndex;
    std::u16string_view keys;  // pressed in turn on an empty line; '<' is backspace
    std::string text;
  } cases[] = {
      {3, u"1A0 ", "1A0"},  // a number reads whole: no blank after "1A", and no blank key
      {0, u"10210", "1010"},
      {1, u"7890<", "7"},
      {2, u"-2+3.5*(4%3)^2/1A", "-2+3.5*(4%3)^2/1"},
      {9, u"19A", "19"},  // an unknown base is decimal
  };
  for (const Case& c : cases) {
    LineState line;
    for (char16_t k : c.keys) pressKey(line, k == u'<' ? kKeyBackspace : k, kConverterInputChars, ConverterModel::keypad(c.fromIndex));
    EXPECT_EQ(std::string(line.text.begin(), line.text.end()), c.text) << c.fromIndex;
  }
}

}  // namespace
}  // namespace nibblet
