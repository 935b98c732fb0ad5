#pragma once
// Evaluates one line of lower-cased arithmetic against the user's variables: the grammar from
// statement (with assignment) down to primary. An error stops the evaluation at once; changes
// already made to the variables stay.

#include <string>
#include <string_view>

#include "core/convert/eval_error.h"
#include "core/convert/expression_scanner.h"

namespace nibblet {

class VariableTable;

struct EvalOutcome {
  EvalError error = EvalError::None;
  double value = 0;
  // The line was an assignment or a deletion ("name = ..." or "name =").
  bool isAssignment = false;
  // The token current when the error was raised (empty at the end of the text), or for
  // errors about a function call, the function's name.
  std::string errorToken;
};

class ExpressionParser {
 public:
  // Parentheses and calls nest at most this deep; one more is a syntax error, so hostile
  // input cannot exhaust the stack.
  static constexpr int kMaxNesting = 100;

  // `text` must outlive the parser.
  ExpressionParser(std::string_view text, VariableTable& variables);
  ExpressionParser(const ExpressionParser&) = delete;
  ExpressionParser& operator=(const ExpressionParser&) = delete;

  // Evaluates the whole text once. Tokens after the first statement are ignored.
  EvalOutcome run();

 private:
  // Each level returns its value, or 0 once an error is recorded; callers check failed()
  // after every call and unwind.
  double statement(bool& isAssignment);
  double additive();
  double term();
  double power();
  double signedValue();
  double primary();
  double parenthesised();
  double call();
  double nameValue();

  // Reads the next token; a character that starts no token is a syntax error.
  void advance();
  bool enterNesting();
  // Records the first error only, with the current token or the given one.
  void fail(EvalError error);
  void fail(EvalError error, std::string_view token);
  bool failed() const { return m_error != EvalError::None; }
  const Token& token() const { return m_scanner.token(); }

  ExpressionScanner m_scanner;
  VariableTable& m_variables;
  EvalError m_error = EvalError::None;
  std::string m_errorToken;
  int m_nesting = 0;
};

}  // namespace nibblet
