#include "core/view/hex_keypad.h"

#include <algorithm>
#include <utility>

namespace nibblet {
namespace {

bool isPadDigit(char16_t key) {
  return (key >= u'0' && key <= u'9') || (key >= u'A' && key <= u'F');
}

// The selection as [from, to), held to the text.
std::pair<std::size_t, std::size_t> selection(const LineState& line) {
  const std::size_t end = line.text.size();
  return {std::min({line.cursor, line.anchor, end}), std::min(std::max(line.cursor, line.anchor), end)};
}

// Replaces the selection [from, to) with `insert` and puts the caret behind it.
bool replaceSelection(LineState& line, std::size_t from, std::size_t to, std::u16string_view insert,
                      std::size_t maxChars) {
  if (line.text.size() - (to - from) + insert.size() > maxChars) return false;
  line.text.replace(from, to - from, insert);
  line.cursor = line.anchor = from + insert.size();
  return true;
}

}  // namespace

bool eraseBeforeCaret(LineState& line) {
  auto [from, to] = selection(line);
  if (from == to) {
    if (from == 0) return false;
    --from;
  }
  line.text.erase(from, to - from);
  line.cursor = line.anchor = from;
  return true;
}

bool typeOverSelection(LineState& line, std::u16string_view insert, std::size_t maxChars) {
  auto [from, to] = selection(line);
  return replaceSelection(line, from, to, insert, maxChars);
}

bool pressHexKey(LineState& line, char16_t key, std::size_t maxChars) {
  if (key == kKeyBackspace) {
    if (!eraseBeforeCaret(line)) return false;
    // The blank that opened the pair just taken goes with it, so the next digit pairs anew.
    std::size_t at = line.cursor;
    if (at == line.text.size())
      while (at > 0 && line.text[at - 1] == u' ') line.text.erase(--at, 1);
    line.cursor = line.anchor = at;
    return true;
  }
  auto [from, to] = selection(line);
  if (key == kKeySpace) return replaceSelection(line, from, to, u" ", maxChars);
  if (!isPadDigit(key)) return false;

  const std::u16string_view head = std::u16string_view(line.text).substr(0, from);
  const std::size_t before = from - static_cast<std::size_t>(std::count(head.begin(), head.end(), u' '));
  const bool newPair = before > 0 && before % 2 == 0 && line.text[from - 1] != u' ';
  const char16_t digit[] = {u' ', key};
  std::u16string_view spaced(digit, 2);
  // Without room for the blank the digit still goes in: the pairs read the same without it.
  if (newPair && replaceSelection(line, from, to, spaced, maxChars)) return true;
  return replaceSelection(line, from, to, spaced.substr(1), maxChars);
}

}  // namespace nibblet
