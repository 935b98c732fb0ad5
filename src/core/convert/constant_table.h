#pragma once
// The evaluator's read-only named constants, looked up after the user's variables.

#include <string_view>

namespace nibblet {

class ConstantTable {
 public:
  // True and the value when `name` is a constant (exact, lower-case match).
  static bool lookup(std::string_view name, double& value);
};

}  // namespace nibblet
