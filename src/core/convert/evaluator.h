#pragma once
// The converter's arithmetic: evaluates one line of single-byte text in double precision and
// answers with a line of text. It owns the user's variables, which live as long as it does,
// so the program keeps one Evaluator for its whole run.

#include <cstddef>
#include <string>
#include <string_view>

#include "core/convert/variable_table.h"

namespace nibblet {

class Evaluator {
 public:
  // Longer input is cut to this many characters; a NUL byte ends the input earlier.
  static constexpr std::size_t kMaxInputLength = 1023;

  Evaluator() = default;
  Evaluator(const Evaluator&) = delete;
  Evaluator& operator=(const Evaluator&) = delete;

  // Evaluates `text` (letters A-Z count as a-z) and returns:
  // - the result in fixed notation with at most 20 decimals and no trailing zeros ("0.25"),
  //   which is also stored in the variable r;
  // - the lower-cased input itself after an assignment ("x = 5") or a deletion ("x=");
  // - "<error text> = <token>" after an error, or the empty text for an empty input.
  // Never fails; any byte sequence of any length is accepted.
  std::string evaluateText(std::string_view text);

  const VariableTable& variables() const { return m_variables; }

  // The value as "%.20f" writes it in the C locale, without trailing zeros or a trailing
  // point ("-0.5", "4", "inf", "nan").
  static std::string formatResult(double value);

 private:
  VariableTable m_variables;
  std::string m_work;
};

}  // namespace nibblet
