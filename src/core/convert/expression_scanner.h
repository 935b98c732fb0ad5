#pragma once
// Splits one line of lower-cased arithmetic into tokens: delimiters, numbers, names and the
// end. Tokens are views into the scanned text, which must outlive the scanner.

#include <cstddef>
#include <string_view>

namespace nibblet {

enum class TokenKind {
  End,        // no text left; the token text is empty
  Delimiter,  // one of + - * / % ^ ( ) , =
  Number,     // a run of digits and "."
  Name,       // a letter followed by letters and digits
  Invalid,    // a character that starts no token; the token text is that character
};

struct Token {
  TokenKind kind = TokenKind::End;
  // At most kTokenLength characters of the token's text (a name at most kNameLength).
  std::string_view text;
  // For a number: its value; for a delimiter: its character; otherwise unused.
  double number = 0;
  char delimiter = '\0';

  bool is(char c) const { return kind == TokenKind::Delimiter && delimiter == c; }
};

class ExpressionScanner {
 public:
  // The longest token text kept; longer number runs still count whole for their value.
  static constexpr std::size_t kTokenLength = 63;
  // Longer names are cut to this many characters; the rest of the name is skipped.
  static constexpr std::size_t kNameLength = 15;

  // Starts before the first token: call advance() to read it.
  explicit ExpressionScanner(std::string_view text);

  const Token& token() const { return m_token; }
  // Reads the next token. After the end token it keeps returning the end token.
  void advance();
  // The first character after the current token and any blanks, or '\0' at the end.
  char nextChar() const { return m_pos < m_text.size() ? m_text[m_pos] : '\0'; }

 private:
  void skipBlanks();
  void scanNumber();
  void scanName();

  std::string_view m_text;
  std::size_t m_pos = 0;
  Token m_token;
};

}  // namespace nibblet
