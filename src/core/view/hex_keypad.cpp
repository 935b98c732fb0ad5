#include "core/view/hex_keypad.h"

#include <algorithm>

namespace nibblet {
namespace {

// Replaces the selection [from, to) with `insert` and puts the caret behind it.
bool replaceSelection(LineState& line, std::size_t from, std::size_t to, std::u16string_view insert,
                      std::size_t maxChars) {
  if (line.text.size() - (to - from) + insert.size() > maxChars) return false;
  line.text.replace(from, to - from, insert);
  line.cursor = line.anchor = from + insert.size();
  return true;
}

}  // namespace

bool hasKey(const KeypadLayout& layout, char16_t key) {
  return key != u'\n' && layout.rows.find(key) != std::u16string_view::npos;
}

bool pressKey(LineState& line, char16_t key, std::size_t maxChars, const KeypadLayout& layout) {
  const std::size_t end = line.text.size();
  std::size_t from = std::min({line.cursor, line.anchor, end});
  const std::size_t to = std::min(std::max(line.cursor, line.anchor), end);

  if (key == kKeyBackspace) {
    if (from == to) {
      if (from == 0) return false;
      --from;
    }
    line.text.erase(from, to - from);
    // The blank that opened the group just taken goes with it, so the next digit groups anew.
    if (layout.group > 0 && from == line.text.size())
      while (from > 0 && line.text[from - 1] == u' ') line.text.erase(--from, 1);
    line.cursor = line.anchor = from;
    return true;
  }
  if (!hasKey(layout, key)) return false;
  if (key == kKeySpace) return replaceSelection(line, from, to, u" ", maxChars);

  bool newGroup = false;
  if (layout.group > 0) {
    const std::u16string_view head = std::u16string_view(line.text).substr(0, from);
    const std::size_t before = from - static_cast<std::size_t>(std::count(head.begin(), head.end(), u' '));
    newGroup = before > 0 && before % layout.group == 0 && line.text[from - 1] != u' ';
  }
  const char16_t digit[] = {u' ', key};
  std::u16string_view spaced(digit, 2);
  // Without room for the blank the digit still goes in: the groups read the same without it.
  if (newGroup && replaceSelection(line, from, to, spaced, maxChars)) return true;
  return replaceSelection(line, from, to, spaced.substr(1), maxChars);
}

}  // namespace nibblet
