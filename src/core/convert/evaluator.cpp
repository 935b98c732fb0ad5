#include "core/convert/evaluator.h"

#include <charconv>

#include "core/convert/expression_parser.h"

namespace nibblet {

namespace {

// The longest fixed-notation double with 20 decimals: a sign, 309 integer digits, the point
// and the decimals (1e308 alone takes 330 characters).
constexpr std::size_t kFormatBufferSize = 1 + 309 + 1 + 20 + 16;

}  // namespace

std::string Evaluator::evaluateText(std::string_view text) {
  text = text.substr(0, kMaxInputLength);
  std::size_t nul = text.find('\0');
  if (nul != std::string_view::npos) text = text.substr(0, nul);

  m_work.assign(text);
  for (char& c : m_work)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');

  EvalOutcome outcome = ExpressionParser(m_work, m_variables).run();
  if (outcome.error == EvalError::EmptyExpression) return {};
  if (outcome.error != EvalError::None) {
    std::string line(evalErrorText(outcome.error));
    line += " = ";
    line += outcome.errorToken;
    return line;
  }
  if (outcome.isAssignment) return m_work;

  // With the table full and no r in it, the result is still shown, only not kept.
  m_variables.store("r", outcome.value);
  return formatResult(outcome.value);
}

std::string Evaluator::formatResult(double value) {
  // The C locale's formatting, whatever locale the program runs in: the point is always ".".
  char buffer[kFormatBufferSize];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value,
                                 std::chars_format::fixed, 20);
  if (ec != std::errc{}) return {};
  std::string_view text(buffer, static_cast<std::size_t>(end - buffer));
  if (text.find('.') != std::string_view::npos) {
    while (text.size() > 1 && text.back() == '0') text.remove_suffix(1);
    if (!text.empty() && text.back() == '.') text.remove_suffix(1);
  }
  return std::string(text);
}

}  // namespace nibblet
