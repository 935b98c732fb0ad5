#include "core/convert/expression_scanner.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <system_error>

namespace nibblet {

namespace {

// Plain ASCII tests: the text is single-byte and may hold any byte value.
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return c >= 'a' && c <= 'z'; }
bool isDelimiter(char c) {
  switch (c) {
    case '+': case '-': case '*': case '/': case '%': case '^':
    case '(': case ')': case ',': case '=':
      return true;
    default:
      return false;
  }
}

// Reads the decimal number at the start of a run of digits and points, up to the first
// character that does not fit ("1.5.2" is 1.5, a lone "." is 0). A value too large for a
// double is infinity and one too small is 0, as the C library's conversion gives them.
double readNumber(std::string_view run) {
  double value = 0;
  auto [end, ec] = std::from_chars(run.data(), run.data() + run.size(), value,
                                   std::chars_format::fixed);
  if (ec == std::errc::invalid_argument) return 0;
  if (ec == std::errc::result_out_of_range) {
    for (const char* p = run.data(); p < end && *p != '.'; ++p)
      if (*p != '0') return std::numeric_limits<double>::infinity();
    return 0;
  }
  return value;
}

}  // namespace

ExpressionScanner::ExpressionScanner(std::string_view text) : m_text(text) {}

void ExpressionScanner::skipBlanks() {
  while (m_pos < m_text.size() && (m_text[m_pos] == ' ' || m_text[m_pos] == '\t')) ++m_pos;
}

void ExpressionScanner::advance() {
  m_token = Token{};
  skipBlanks();
  if (m_pos >= m_text.size()) return;

  char c = m_text[m_pos];
  if (isDelimiter(c)) {
    m_token.kind = TokenKind::Delimiter;
    m_token.delimiter = c;
    m_token.text = m_text.substr(m_pos, 1);
    ++m_pos;
  } else if (isDigit(c) || c == '.') {
    scanNumber();
  } else if (isLetter(c)) {
    scanName();
  } else {
    m_token.kind = TokenKind::Invalid;
    m_token.text = m_text.substr(m_pos, 1);
    ++m_pos;
  }
  skipBlanks();
}

void ExpressionScanner::scanNumber() {
  std::size_t start = m_pos;
  while (m_pos < m_text.size() && (isDigit(m_text[m_pos]) || m_text[m_pos] == '.')) ++m_pos;
  std::string_view run = m_text.substr(start, m_pos - start);
  m_token.kind = TokenKind::Number;
  m_token.text = run.substr(0, kTokenLength);
  m_token.number = readNumber(run);
}

void ExpressionScanner::scanName() {
  std::size_t start = m_pos;
  while (m_pos < m_text.size() && (isLetter(m_text[m_pos]) || isDigit(m_text[m_pos]))) ++m_pos;
  m_token.kind = TokenKind::Name;
  m_token.text = m_text.substr(start, std::min(m_pos - start, kNameLength));
}

}  // namespace nibblet
