#pragma once
// The error codes of the expression evaluator and the texts it shows for them.

#include <string_view>

namespace nibblet {

// The value of each code is the number the evaluator reports; 0 means no error.
enum class EvalError {
  None = 0,
  Syntax = 1,
  UnbalancedParenthesis = 2,
  DivisionByZero = 3,
  UnknownVariable = 4,
  TooManyVariables = 5,
  UnknownFunction = 6,
  WrongArgumentCount = 7,
  MissingArgument = 8,
  EmptyExpression = 9,
};

// The text of an error code, as shown before " = " in the result line. Empty for None.
std::string_view evalErrorText(EvalError error);

}  // namespace nibblet
