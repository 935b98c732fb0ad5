#pragma once
// The mathematical functions the evaluator can call, each with its exact argument count.

#include <string_view>

namespace nibblet {

class FunctionTable {
 public:
  // The most arguments any call may have.
  static constexpr int kMaxArguments = 3;

  struct Entry {
    std::string_view name;
    int argumentCount;
    // Receives argumentCount arguments; a one-argument function ignores the second.
    double (*apply)(double first, double second);
  };

  // The function of that name (exact, lower-case match), or null.
  static const Entry* find(std::string_view name);

  // The largest order, in magnitude, that bessel computes; beyond it the result is NaN, so a
  // huge order costs no time (the work of computing it grows with the order).
  static constexpr double kMaxBesselOrder = 10000;
  // Bessel function of the first kind at x, of the order `order` truncated toward zero.
  // NaN when the order is NaN, infinite or beyond kMaxBesselOrder in magnitude.
  static double bessel(double order, double x);
};

}  // namespace nibblet
