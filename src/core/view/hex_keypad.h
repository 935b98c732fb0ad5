#pragma once
// The rules of the hex keypad of dialog 930: what one key does to the edit line. A digit goes
// in at the caret (over a selection) with a blank put before each new pair, so "4142" typed on
// the pad reads "41 42"; backspace takes the selection or the character before the caret.

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

// The two keys of the pad that are not digits.
constexpr char16_t kKeyBackspace = u'\b';
constexpr char16_t kKeySpace = u' ';

// The sixteen digit keys in the pad's order, four to a row.
constexpr char16_t kHexKeys[] = u"0123456789ABCDEF";

// Backspace on any pad: takes the selection, or the character before the caret. False, changing
// nothing, with no selection at the start of the line.
bool eraseBeforeCaret(LineState& line);
// Puts `insert` over the selection (or at the caret) and the caret behind it; false, changing
// nothing, when the text would pass `maxChars` characters.
bool typeOverSelection(LineState& line, std::u16string_view insert, std::size_t maxChars);

// Applies `key` (a digit 0-9 or A-F, kKeySpace or kKeyBackspace) to `line`, keeping the text
// within `maxChars` characters; a caret or anchor past the end counts as the end. The pairing
// counts the non-blank characters before the caret, as parseHexPairs pairs them. Backspace at
// the end of the line also takes the blanks left before the caret. Returns false, leaving
// `line` as it was, when the key changes nothing: an unknown key, no room, or backspace at 0.
bool pressHexKey(LineState& line, char16_t key, std::size_t maxChars);

}  // namespace nibblet
