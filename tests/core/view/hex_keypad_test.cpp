#include "core/view/hex_keypad.h"

#include <gtest/gtest.h>

#include <string>

namespace nibblet {
namespace {

std::string narrow(const std::u16string& text) { return std::string(text.begin(), text.end()); }

// Presses each key of `keys` on `line` ('<' stands for backspace) and returns the line.
LineState press(LineState line, std::u16string_view keys, std::size_t maxChars = 513) {
  for (char16_t k : keys) pressHexKey(line, k == u'<' ? kKeyBackspace : k, maxChars);
  return line;
}

TEST(HexKeypad, DigitsArePairedWithBlanksAsTheyAreTyped) {
  struct Case {
    LineState start;
    std::u16string_view keys;
    std::u16string text;
    std::size_t cursor;
  } cases[] = {
      {{u"", 0, 0}, u"4142", u"41 42", 5},
      {{u"10", 2, 0}, u"4142", u"41 42", 5},        // the selected starting byte is replaced
      {{u"10", 2, 2}, u"4", u"10 4", 4},            // typed behind it: a new pair
      {{u"1", 1, 1}, u"0A", u"10 A", 4},
      {{u"", 0, 0}, u"4 142", u"4 1 42", 6},        // pairs follow the digits, not typed blanks
      {{u"41 ", 3, 3}, u"42", u"41 42", 5},         // no second blank after one already there
      {{u"41 42", 0, 0}, u"00", u"0041 42", 2},     // at the start nothing comes before
      {{u"41 42", 2, 2}, u"7", u"41 7 42", 4},      // between pairs: a new pair starts
      {{u"41", 9, 9}, u"4", u"41 4", 4},            // a caret past the end is the end
      {{u"", 0, 0}, u"0123456789ABCDEF", u"01 23 45 67 89 AB CD EF", 23},
  };
  for (const Case& c : cases) {
    LineState line = press(c.start, c.keys);
    EXPECT_EQ(narrow(line.text), narrow(c.text)) << narrow(c.start.text) << " + " << narrow(std::u16string(c.keys));
    EXPECT_EQ(line.cursor, c.cursor);
    EXPECT_EQ(line.anchor, line.cursor);
  }
}

TEST(HexKeypad, BackspaceTakesTheSelectionOrOneCharacterAndTheBlankOfAnEmptiedPair) {
  EXPECT_EQ(narrow(press({u"41 42", 5, 5}, u"<").text), "41 4");
  EXPECT_EQ(narrow(press({u"41 42", 5, 5}, u"<<").text), "41");  // the pair's blank goes too
  EXPECT_EQ(narrow(press({u"41 42", 5, 5}, u"<<4").text), "41 4");
  EXPECT_EQ(narrow(press({u"41 42", 4, 4}, u"<").text), "41 2");  // inside the line blanks stay
  EXPECT_EQ(narrow(press({u"41 42", 1, 4}, u"<").text), "42");     // a selection
  EXPECT_EQ(narrow(press({u"41 42", 4, 1}, u"<").text), "42");     // selected backwards
  LineState start{u"41", 0, 0};
  EXPECT_FALSE(pressHexKey(start, kKeyBackspace, 513));
  EXPECT_EQ(narrow(start.text), "41");
}

TEST(HexKeypad, KeysThatDoNotFitOrDoNotBelongChangeNothing) {
  LineState full{u"41 42", 5, 5};
  EXPECT_TRUE(pressHexKey(full, u'4', 6));  // room for the digit but not its blank
  EXPECT_EQ(narrow(full.text), "41 424");
  EXPECT_FALSE(pressHexKey(full, u'3', 6));
  EXPECT_FALSE(pressHexKey(full, kKeySpace, 6));
  EXPECT_EQ(narrow(full.text), "41 424");
  LineState line{u"4", 1, 1};
  for (char16_t key : {u'G', u'a', u'x', u'\0', u'-'}) EXPECT_FALSE(pressHexKey(line, key, 513));
  EXPECT_EQ(narrow(line.text), "4");
  EXPECT_TRUE(pressHexKey(line, kKeySpace, 513));
  EXPECT_EQ(narrow(line.text), "4 ");
}

TEST(HexKeypad, OtherLayoutsTakeOnlyTheirKeysAndGroupTheirOwnWay) {
  constexpr KeypadLayout number{u"123\n456\n789\n-0\b", 0};
  LineState line{u"12", 0, 2};  // the starting value, selected
  for (char16_t key : {u'-', u'4', u'A', u' ', u'0'}) pressKey(line, key, 64, number);
  EXPECT_EQ(narrow(line.text), "-40");  // no blanks, no letters
  pressKey(line, kKeyBackspace, 64, number);
  EXPECT_EQ(narrow(line.text), "-4");
  constexpr KeypadLayout bits{u"01\n\b ", 4};
  LineState byte;
  for (char16_t key : std::u16string_view(u"010000012")) pressKey(byte, key, 64, bits);
  EXPECT_EQ(narrow(byte.text), "0100 0001");
}

}  // namespace
}  // namespace nibblet
