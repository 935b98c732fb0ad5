#pragma once
// The keypads that stand in for the system keyboard on a touch screen: which keys each use
// has, how many stand in a row, and what a key does to the line it types into. Hex pairs space
// themselves as they are typed (pressHexKey); the other pads type their characters as they are.

#include <cstddef>
#include <vector>

#include "core/view/hex_keypad.h"

namespace nibblet {

enum class KeypadKind {
  HexPairs,   // byte pairs of the entry and search dialogs: 0-F, backspace and a blank
  HexDigits,  // one hexadecimal number (goto, the converter from hex): 0-F and backspace
  Decimal,    // the converter from decimal: 0-9, the point and the operators "=" evaluates
  Octal,      // 0-7 and backspace
  Binary,     // 0, 1 and backspace
};

struct KeypadKey {
  char16_t key;   // the character typed, or kKeyBackspace
  int span;       // columns the key covers
};

struct KeypadLayout {
  std::vector<KeypadKey> keys;  // row by row, left to right
  int columns;                  // how many stand in a row where there is room
};

KeypadLayout keypadLayout(KeypadKind kind);

// The fewest columns a pad is shown in: three (the layout's own number when smaller), or as many
// as its widest key spans.
int fewestKeypadColumns(const KeypadLayout& layout);
// How many columns of keys at least `keySide` pixels wide, `spacing` apart, fit `width`: the
// layout's own number where there is room, fewer on a narrow screen, never fewer than the fewest.
int keypadColumns(const KeypadLayout& layout, int width, int keySide, int spacing);

// Where each key of `layout` stands in a grid of `columns` columns, in the layout's order: row
// by row, a key that does not fit the rest of a row starting the next one.
struct KeyPlace {
  int row;
  int column;
  int span;
};
std::vector<KeyPlace> placeKeys(const KeypadLayout& layout, int columns);

// The pad for numbers in `base`: 2, 8 and 16 get their digits; any other base the decimal pad.
KeypadKind keypadForBase(int base);

// Applies `key` to `line` as a key of `kind` does, keeping the text within `maxChars`
// characters. Hex pairs follow pressHexKey; on the other pads a key of the pad replaces the
// selection (or goes in at the caret) and backspace takes the selection or the character
// before the caret. Returns false, leaving `line` as it was, when nothing changes.
bool pressKeypadKey(LineState& line, char16_t key, std::size_t maxChars, KeypadKind kind);

}  // namespace nibblet
