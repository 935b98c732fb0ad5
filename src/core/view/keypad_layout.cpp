#include "core/view/keypad_layout.h"

#include <algorithm>

namespace nibblet {
namespace {

// Six to a row keeps each hexadecimal pad to three rows, so a dialog with its pad fits a
// 240 x 320 screen with keys of 9 mm.
constexpr int kHexColumns = 6;
// However narrow the screen, a pad keeps three keys to a row rather than growing very tall.
constexpr int kFewestColumns = 3;

std::vector<KeypadKey> plainKeys(std::u16string_view keys) {
  std::vector<KeypadKey> out;
  for (char16_t k : keys) out.push_back({k, 1});
  return out;
}

bool isPadKey(const KeypadLayout& layout, char16_t key) {
  return std::any_of(layout.keys.begin(), layout.keys.end(), [key](const KeypadKey& k) { return k.key == key; });
}

}  // namespace

KeypadLayout keypadLayout(KeypadKind kind) {
  switch (kind) {
    case KeypadKind::HexPairs: {
      std::vector<KeypadKey> keys = plainKeys(u"0123456789ABCDEF");
      keys.push_back({kKeyBackspace, 1});
      keys.push_back({kKeySpace, 1});
      return {keys, kHexColumns};
    }
    case KeypadKind::HexDigits: {
      std::vector<KeypadKey> keys = plainKeys(u"0123456789ABCDEF");
      keys.push_back({kKeyBackspace, 2});
      return {keys, kHexColumns};
    }
    case KeypadKind::Decimal: {
      // A calculator's order: 7 8 9 on top, 0 at the bottom, the operators beside them.
      std::vector<KeypadKey> keys = plainKeys(u"789()456*/123+-0.%^");
      keys.push_back({kKeyBackspace, 1});
      return {keys, 5};
    }
    case KeypadKind::Octal: {
      std::vector<KeypadKey> keys = plainKeys(u"01234567");
      keys.push_back({kKeyBackspace, 2});
      return {keys, 5};
    }
    case KeypadKind::Binary: {
      std::vector<KeypadKey> keys = plainKeys(u"01");
      keys.push_back({kKeyBackspace, 1});
      return {keys, 3};
    }
  }
  return {{}, 1};
}

int fewestKeypadColumns(const KeypadLayout& layout) {
  int widest = 1;
  for (const KeypadKey& k : layout.keys) widest = std::max(widest, k.span);
  return std::min(layout.columns, std::max(kFewestColumns, widest));
}

int keypadColumns(const KeypadLayout& layout, int width, int keySide, int spacing) {
  const int fit = (width + spacing) / std::max(1, keySide + spacing);
  return std::max(fewestKeypadColumns(layout), std::min(layout.columns, fit));
}

std::vector<KeyPlace> placeKeys(const KeypadLayout& layout, int columns) {
  std::vector<KeyPlace> places;
  int row = 0, column = 0;
  for (const KeypadKey& k : layout.keys) {
    const int span = std::min(k.span, std::max(1, columns));
    if (column > 0 && column + span > columns) {
      ++row;
      column = 0;
    }
    places.push_back({row, column, span});
    column += span;
  }
  return places;
}

KeypadKind keypadForBase(int base) {
  switch (base) {
    case 2: return KeypadKind::Binary;
    case 8: return KeypadKind::Octal;
    case 16: return KeypadKind::HexDigits;
    default: return KeypadKind::Decimal;
  }
}

bool pressKeypadKey(LineState& line, char16_t key, std::size_t maxChars, KeypadKind kind) {
  if (kind == KeypadKind::HexPairs) return pressHexKey(line, key, maxChars);
  if (key == kKeyBackspace) return eraseBeforeCaret(line);
  if (!isPadKey(keypadLayout(kind), key)) return false;
  return typeOverSelection(line, std::u16string_view(&key, 1), maxChars);
}

}  // namespace nibblet
