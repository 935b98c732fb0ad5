#pragma once
// Reads the parts of one line of resource text (resources/FORMAT.md): words, ids and quoted
// texts, each after optional blanks.

#include <string>
#include <string_view>

namespace nibblet {

// Ids of strings, menus, menu items, dialogs and controls: 1 to 65535.
constexpr int kMaxResourceId = 65535;

class ResourceLine {
 public:
  explicit ResourceLine(std::string_view line) : m_rest(line) {}

  // True when only blanks are left.
  bool atEnd();
  // A run of lower-case letters; false when none stands here.
  bool word(std::string_view& out);
  // A decimal id of at most five digits, 1 to 65535; false otherwise.
  bool id(int& out);
  // A text in double quotes with the escapes \\ \" \n \r \t; false when the quotes are not
  // closed or an unknown escape stands inside. The text is UTF-8 and comes back as UTF-16.
  bool quoted(std::u16string& out);
  // The single character `c`.
  bool symbol(char c);

 private:
  void skipBlanks();
  std::string_view m_rest;
};

// True when `text` is well-formed UTF-8 (no overlong forms, surrogates or values past
// U+10FFFF).
bool isStrictUtf8(std::string_view text);

}  // namespace nibblet
