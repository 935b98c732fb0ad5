#include "core/convert/function_table.h"

#include <cmath>
#include <limits>

namespace nibblet {

namespace {

constexpr double kDegreesPerRadian = 57.29577951308232;    // nearest double to 180/pi
constexpr double kRadiansPerDegree = 0.017453292519943295;  // nearest double to pi/180

using Entry = FunctionTable::Entry;

// Searched in this order; the first row with the name wins.
constexpr Entry kFunctions[] = {
    {"sin", 1, [](double a, double) { return std::sin(a); }},
    {"cos", 1, [](double a, double) { return std::cos(a); }},
    {"tan", 1, [](double a, double) { return std::tan(a); }},
    {"asin", 1, [](double a, double) { return std::asin(a); }},
    {"acos", 1, [](double a, double) { return std::acos(a); }},
    {"atan", 1, [](double a, double) { return std::atan(a); }},
    {"sinh", 1, [](double a, double) { return std::sinh(a); }},
    {"cosh", 1, [](double a, double) { return std::cosh(a); }},
    {"tanh", 1, [](double a, double) { return std::tanh(a); }},
    {"exp", 1, [](double a, double) { return std::exp(a); }},
    {"log", 1, [](double a, double) { return std::log(a); }},
    {"log10", 1, [](double a, double) { return std::log10(a); }},
    {"sqrt", 1, [](double a, double) { return std::sqrt(a); }},
    {"floor", 1, [](double a, double) { return std::floor(a); }},
    {"ceil", 1, [](double a, double) { return std::ceil(a); }},
    {"abs", 1, [](double a, double) { return std::fabs(a); }},
    {"hypot", 2, [](double a, double b) { return std::hypot(a, b); }},
    {"fmod", 2, [](double a, double b) { return std::fmod(a, b); }},
    {"bessel", 2, [](double a, double b) { return FunctionTable::bessel(a, b); }},
    {"deg", 1, [](double a, double) { return a * kDegreesPerRadian; }},
    {"rad", 1, [](double a, double) { return a * kRadiansPerDegree; }},
};

}  // namespace

const FunctionTable::Entry* FunctionTable::find(std::string_view name) {
  for (const Entry& entry : kFunctions)
    if (entry.name == name) return &entry;
  return nullptr;
}

double FunctionTable::bessel(double order, double x) {
  double n = std::trunc(order);
  // The range check comes before the conversion to int, which would be undefined beyond it.
  if (!(std::fabs(n) <= kMaxBesselOrder)) return std::numeric_limits<double>::quiet_NaN();
#if defined(_WIN32)
  return ::_jn(static_cast<int>(n), x);
#else
  return ::jn(static_cast<int>(n), x);
#endif
}

}  // namespace nibblet
