#include "core/convert/expression_parser.h"

#include <cmath>

#include "core/convert/constant_table.h"
#include "core/convert/function_table.h"
#include "core/convert/variable_table.h"

namespace nibblet {

namespace {

// Counts one level of parentheses or call for as long as it lives.
class NestingLevel {
 public:
  explicit NestingLevel(int& nesting) : m_nesting(nesting) { ++m_nesting; }
  ~NestingLevel() { --m_nesting; }
  NestingLevel(const NestingLevel&) = delete;
  NestingLevel& operator=(const NestingLevel&) = delete;

 private:
  int& m_nesting;
};

}  // namespace

ExpressionParser::ExpressionParser(std::string_view text, VariableTable& variables)
    : m_scanner(text), m_variables(variables) {}

EvalOutcome ExpressionParser::run() {
  EvalOutcome outcome;
  advance();
  if (!failed() && token().kind == TokenKind::End) fail(EvalError::EmptyExpression);
  if (!failed()) outcome.value = statement(outcome.isAssignment);
  if (failed()) {
    outcome.error = m_error;
    outcome.errorToken = m_errorToken;
    outcome.value = 0;
    outcome.isAssignment = false;
  }
  return outcome;
}

void ExpressionParser::advance() {
  m_scanner.advance();
  if (token().kind == TokenKind::Invalid) fail(EvalError::Syntax);
}

void ExpressionParser::fail(EvalError error) { fail(error, token().text); }

void ExpressionParser::fail(EvalError error, std::string_view errorToken) {
  if (failed()) return;
  m_error = error;
  m_errorToken.assign(errorToken);
}

double ExpressionParser::statement(bool& isAssignment) {
  isAssignment = false;
  if (token().kind != TokenKind::Name || m_scanner.nextChar() != '=') return additive();

  std::string_view name = token().text;
  advance();  // onto the "="
  if (failed()) return 0;
  advance();
  if (failed()) return 0;
  if (token().kind == TokenKind::End) {
    // "name =" with nothing after it deletes the variable; a missing one is no error.
    m_variables.remove(name);
    isAssignment = true;
    return 0;
  }
  // An additive expression, not a statement: "x = y = 1" assigns y's value to x.
  double value = additive();
  if (failed()) return 0;
  if (!m_variables.store(name, value)) {
    fail(EvalError::TooManyVariables);
    return 0;
  }
  isAssignment = true;
  return value;
}

double ExpressionParser::additive() {
  double value = term();
  while (!failed() && (token().is('+') || token().is('-'))) {
    char op = token().delimiter;
    advance();
    if (failed()) return 0;
    double right = term();
    if (failed()) return 0;
    value = op == '+' ? value + right : value - right;
  }
  return failed() ? 0 : value;
}

double ExpressionParser::term() {
  double value = power();
  while (!failed() && (token().is('*') || token().is('/') || token().is('%'))) {
    char op = token().delimiter;
    advance();
    if (failed()) return 0;
    double right = power();
    if (failed()) return 0;
    if (op == '*') {
      value *= right;
      continue;
    }
    if (right == 0) {  // also true for -0
      fail(EvalError::DivisionByZero);
      return 0;
    }
    value = op == '/' ? value / right : std::fmod(value, right);
  }
  return failed() ? 0 : value;
}

double ExpressionParser::power() {
  double base = signedValue();
  if (failed()) return 0;
  // Only one "^": a second one is left for the caller, which ends the expression there.
  if (!token().is('^')) return base;
  advance();
  if (failed()) return 0;
  double exponent = signedValue();
  if (failed()) return 0;
  return std::pow(base, exponent);
}

double ExpressionParser::signedValue() {
  bool negate = false;
  if (token().is('+') || token().is('-')) {
    negate = token().is('-');
    advance();
    if (failed()) return 0;
  }
  double value = primary();
  if (failed()) return 0;
  return negate ? -value : value;
}

double ExpressionParser::primary() {
  switch (token().kind) {
    case TokenKind::Number: {
      double value = token().number;
      advance();
      return failed() ? 0 : value;
    }
    case TokenKind::Name:
      return m_scanner.nextChar() == '(' ? call() : nameValue();
    case TokenKind::Delimiter:
      if (token().is('(')) return parenthesised();
      break;
    case TokenKind::End:
    case TokenKind::Invalid:
      break;
  }
  fail(EvalError::Syntax);
  return 0;
}

bool ExpressionParser::enterNesting() {
  if (m_nesting < kMaxNesting) return true;
  fail(EvalError::Syntax);
  return false;
}

double ExpressionParser::parenthesised() {
  if (!enterNesting()) return 0;
  NestingLevel level(m_nesting);
  advance();  // past the "("
  if (failed()) return 0;
  if (token().is(')')) {
    fail(EvalError::MissingArgument);
    return 0;
  }
  bool isAssignment = false;
  double value = statement(isAssignment);
  if (failed()) return 0;
  if (!token().is(')')) {
    fail(EvalError::UnbalancedParenthesis);
    return 0;
  }
  advance();
  return failed() ? 0 : value;
}

double ExpressionParser::call() {
  std::string_view name = token().text;
  const FunctionTable::Entry* function = FunctionTable::find(name);
  if (function == nullptr) {
    fail(EvalError::UnknownFunction, name);
    return 0;
  }
  advance();  // onto the "("
  if (failed() || !enterNesting()) return 0;
  NestingLevel level(m_nesting);

  double arguments[FunctionTable::kMaxArguments] = {};
  int count = 0;
  do {
    advance();  // past the "(" or ","
    if (failed()) return 0;
    if (token().is(')') || token().is(',')) {
      fail(EvalError::MissingArgument);
      return 0;
    }
    bool isAssignment = false;
    arguments[count++] = statement(isAssignment);
    if (failed()) return 0;
  } while (token().is(',') && count < FunctionTable::kMaxArguments);

  if (token().is(',')) {
    fail(EvalError::WrongArgumentCount, name);
    return 0;
  }
  // The token after the arguments is skipped unseen: a missing ")" goes unreported.
  advance();
  if (failed()) return 0;
  if (count != function->argumentCount) {
    fail(EvalError::WrongArgumentCount, name);
    return 0;
  }
  return function->apply(arguments[0], arguments[1]);
}

double ExpressionParser::nameValue() {
  std::string_view name = token().text;
  double value = 0;
  if (!m_variables.lookup(name, value) && !ConstantTable::lookup(name, value)) {
    // The result variable reads as 0 until a first result was stored.
    if (name != "r") {
      fail(EvalError::UnknownVariable);
      return 0;
    }
    value = 0;
  }
  advance();
  return failed() ? 0 : value;
}

}  // namespace nibblet
