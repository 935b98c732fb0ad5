// The evaluator on the converter's typical line, against the same arithmetic written directly
// in C++ and formatted either with snprintf("%50.20f") or with the evaluator's own formatting,
// 1,000,000 of each per round in alternating rounds. Limit: 1,000,000 evaluations in under 2 s.
// ROUNDS (default 7).

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "alternating.h"
#include "core/convert/evaluator.h"

namespace {

constexpr const char* kExpression = "sin(pi/2)+hypot(3,4)*2^10";
constexpr int kRunLength = 1000000;

// Inputs the compiler cannot fold away, and a sink it cannot drop.
volatile double g_halfPi = 3.141592653589793 / 2, g_three = 3, g_four = 4, g_two = 2, g_ten = 10;
volatile std::size_t g_sink;
void keep(const std::string& s) { g_sink = s.size(); }

// The expression computed directly and formatted.
std::string directBaseline() {
  double value = std::sin(g_halfPi) + std::hypot(g_three, g_four) * std::pow(g_two, g_ten);
  char buffer[400];
  std::snprintf(buffer, sizeof buffer, "%50.20f", value);
  return buffer;
}

// The same arithmetic with the evaluator's own formatting: what is left is scanning, parsing
// and the table lookups.
std::string directFormatted() {
  return nibblet::Evaluator::formatResult(std::sin(g_halfPi) + std::hypot(g_three, g_four) * std::pow(g_two, g_ten));
}

}  // namespace

int main() {
  const char* r = std::getenv("ROUNDS");
  const int rounds = r && std::atoi(r) > 0 ? std::atoi(r) : 7;
  nibblet::Evaluator evaluator;
  const std::string result = evaluator.evaluateText(kExpression);
  const std::string snprintfName = "direct arithmetic + snprintf(\"%50.20f\")";
  nibblet::bench::Alternating a;
  a.addTimed(snprintfName, [] {
    for (int i = 0; i < kRunLength; ++i) keep(directBaseline());
  });
  a.addTimed("direct arithmetic + formatResult", [] {
    for (int i = 0; i < kRunLength; ++i) keep(directFormatted());
  });
  a.addTimed("evaluator", [&] {
    for (int i = 0; i < kRunLength; ++i) keep(evaluator.evaluateText(kExpression));
  });
  a.run(rounds);
  std::string title = std::to_string(kRunLength) + " evaluations of \"" + kExpression + "\" (= " + result + ")";
  a.print(title.c_str());
  nibblet::bench::show("evaluator vs direct arithmetic + snprintf", a["evaluator"], a[snprintfName]);
  nibblet::bench::show("evaluator vs direct arithmetic + formatResult", a["evaluator"],
                       a["direct arithmetic + formatResult"]);
  bool met = nibblet::bench::limit("1,000,000 evaluations (s)", a["evaluator"].median(), true, 2.0, "");
  std::printf("\n%s\n", met ? "all limits met" : "some limits MISSED");
  return 0;
}
