#include "core/convert/eval_error.h"

namespace nibblet {

std::string_view evalErrorText(EvalError error) {
  switch (error) {
    case EvalError::None: return {};
    case EvalError::Syntax: return "Syntax error";
    case EvalError::UnbalancedParenthesis: return "Unbalanced parenthesis";
    case EvalError::DivisionByZero: return "Division by zero";
    case EvalError::UnknownVariable: return "Unknown variable";
    case EvalError::TooManyVariables: return "Maximum variables exceeded";
    case EvalError::UnknownFunction: return "Unrecognised function";
    case EvalError::WrongArgumentCount: return "Wrong number of arguments to function";
    case EvalError::MissingArgument: return "Missing an argument";
    case EvalError::EmptyExpression: return "Empty expression";
  }
  return {};
}

}  // namespace nibblet
