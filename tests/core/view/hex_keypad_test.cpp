#include "core/view/hex_keypad.h"
#include "core/view/keypad_layout.h"

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

TEST(Keypad, EachPadTypesOnlyItsOwnKeysAndNumbersAreNotPaired) {
  struct Case {
    KeypadKind kind;
    std::u16string_view keys;  // pressed in turn on an empty line; '<' is backspace
    std::string text;
  } cases[] = {
      {KeypadKind::HexDigits, u"1A0", "1A0"},  // an offset reads whole: no blank after "1A"
      {KeypadKind::HexDigits, u"F F", "FF"},    // no blank key
      {KeypadKind::Binary, u"10210", "1010"},
      {KeypadKind::Octal, u"7890", "70"},
      {KeypadKind::Decimal, u"-2+3.5*(4%3)^2/1", "-2+3.5*(4%3)^2/1"},
      {KeypadKind::Decimal, u"12A<", "1"},
      {KeypadKind::HexPairs, u"4142", "41 42"},
  };
  for (const Case& c : cases) {
    LineState line;
    for (char16_t k : c.keys) pressKeypadKey(line, k == u'<' ? kKeyBackspace : k, 255, c.kind);
    EXPECT_EQ(narrow(line.text), c.text) << narrow(std::u16string(c.keys));
    // Every key the pad shows does something on an empty line (backspace aside).
    for (const KeypadKey& key : keypadLayout(c.kind).keys) {
      LineState empty;
      EXPECT_EQ(pressKeypadKey(empty, key.key, 255, c.kind), key.key != kKeyBackspace);
    }
  }
  // A selection is replaced; a full line takes nothing more.
  LineState line{u"123", 0, 3};
  EXPECT_TRUE(pressKeypadKey(line, u'9', 3, KeypadKind::Decimal));
  EXPECT_EQ(narrow(line.text), "9");
  EXPECT_EQ(line.cursor, 1u);
  LineState full{u"777", 3, 3};
  EXPECT_FALSE(pressKeypadKey(full, u'1', 3, KeypadKind::Octal));
  EXPECT_EQ(keypadForBase(2), KeypadKind::Binary);
  EXPECT_EQ(keypadForBase(16), KeypadKind::HexDigits);
  EXPECT_EQ(keypadForBase(7), KeypadKind::Decimal);
}

TEST(Keypad, ANarrowScreenGetsFewerKeysToARowButNeverFewerThanThree) {
  const KeypadLayout hex = keypadLayout(KeypadKind::HexDigits);
  EXPECT_EQ(keypadColumns(hex, 6 * 35 + 5 * 2, 35, 2), 6);
  EXPECT_EQ(keypadColumns(hex, 6 * 35 + 5 * 2 - 1, 35, 2), 5);
  EXPECT_EQ(keypadColumns(hex, 10, 35, 2), 3);
  EXPECT_EQ(keypadColumns(keypadLayout(KeypadKind::Binary), 1000, 35, 2), 3);
  // The two-column backspace goes on to a new row when one column is left in its own.
  std::vector<KeyPlace> six = placeKeys(hex, 6);  // 0-5, 6-B, C-F and backspace
  EXPECT_EQ(six.back().row, 2);
  EXPECT_EQ(six.back().column, 4);
  std::vector<KeyPlace> five = placeKeys(hex, 5);  // 0-4, 5-9, A-E, F and backspace
  EXPECT_EQ(five.back().row, 3);
  EXPECT_EQ(five.back().column, 1);
  std::vector<KeyPlace> three = placeKeys(hex, 3);  // ..., C-E, then F and backspace
  EXPECT_EQ(three.back().row, 5);
  EXPECT_EQ(three.back().column, 1);
  EXPECT_EQ(placeKeys(hex, 1).back().span, 1);  // never wider than the grid
}

}  // namespace
}  // namespace nibblet
