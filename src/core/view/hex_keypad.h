#pragma once
// The rules of the keypads of dialog 930: what one key does to the edit line. The hex keypad
// types pairs: a digit goes in at the caret (over a selection) with a blank put before each new
// pair, so "4142" typed on the pad reads "41 42". Other layouts (numbers, bits, dates) use the
// same rules with their own keys and groups; backspace takes the selection or the character
// before the caret.

#include <cstddef>
#include <string>
#include <string_view>

namespace nibblet {

// The edit line as the keypad sees it: its text, the caret and the other end of the selection.
struct LineState {
  std::u16string text;
  std::size_t cursor = 0;  // 0..text.size()
  std::size_t anchor = 0;  // equals cursor when nothing is selected
};

// The two keys of the pad that type no digit.
constexpr char16_t kKeyBackspace = u'\b';
constexpr char16_t kKeySpace = u' ';

// The sixteen digit keys of the hex pad in its order, four to a row.
constexpr char16_t kHexKeys[] = u"0123456789ABCDEF";

// A keypad: its keys row by row ('\n' ends a row; the keys of a row share its width), and the
// size of the groups a blank opens as digits are typed (0: the pad puts in no blanks).
struct KeypadLayout {
  std::u16string_view rows;
  std::size_t group;
};

// The hex pad: 0-F four to a row, then backspace and a blank; pairs.
constexpr KeypadLayout kHexKeypad{u"0123\n4567\n89AB\nCDEF\n\b ", 2};

// True when `key` is one of the layout's keys.
bool hasKey(const KeypadLayout& layout, char16_t key);

// Applies `key` (one of the layout's keys) to `line`, keeping the text within `maxChars`
// characters; a caret or anchor past the end counts as the end. With a group size g, a key other
// than the blank opens a new group with a blank when g or a multiple of g non-blank characters
// stand before the caret, so the hex pad pairs the digits as parseHexPairs reads them.
// Backspace at the end of the line also takes the blanks left before the caret. Returns false,
// leaving `line` as it was, when the key changes nothing: a key not on the pad, no room, or
// backspace at 0.
bool pressKey(LineState& line, char16_t key, std::size_t maxChars, const KeypadLayout& layout);

// pressKey on the hex pad.
inline bool pressHexKey(LineState& line, char16_t key, std::size_t maxChars) {
  return pressKey(line, key, maxChars, kHexKeypad);
}

}  // namespace nibblet
