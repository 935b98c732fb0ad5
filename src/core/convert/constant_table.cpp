#include "core/convert/constant_table.h"

namespace nibblet {

namespace {

struct Constant {
  std::string_view name;
  double value;
};

// The doubles nearest to pi and e.
constexpr Constant kConstants[] = {
    {"pi", 3.141592653589793},
    {"e", 2.718281828459045},
};

}  // namespace

bool ConstantTable::lookup(std::string_view name, double& value) {
  for (const Constant& constant : kConstants) {
    if (constant.name == name) {
      value = constant.value;
      return true;
    }
  }
  return false;
}

}  // namespace nibblet
