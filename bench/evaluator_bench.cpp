// The evaluator on the converter's typical line, against the same arithmetic written directly
// in C++ and formatted either with snprintf("%50.20f") or with the evaluator's own formatting.
// After the Google Benchmark runs, a fixed run of 1,000,000 evaluations prints its total time
// and its ratio to both baselines.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>

#include "core/convert/evaluator.h"

namespace {

constexpr const char* kExpression = "sin(pi/2)+hypot(3,4)*2^10";
constexpr int kRunLength = 1000000;

// The expression computed directly and formatted; the inputs go through DoNotOptimize so the
// compiler cannot fold the arithmetic away.
std::string directBaseline(double halfPi, double three, double four, double two, double ten) {
  double value = std::sin(halfPi) + std::hypot(three, four) * std::pow(two, ten);
  char buffer[400];
  std::snprintf(buffer, sizeof buffer, "%50.20f", value);
  return buffer;
}

// The same arithmetic with the evaluator's own formatting: what is left is scanning, parsing
// and the table lookups.
std::string directFormatted(double halfPi, double three, double four, double two, double ten) {
  return nibblet::Evaluator::formatResult(std::sin(halfPi) +
                                          std::hypot(three, four) * std::pow(two, ten));
}

double halfPi = 3.141592653589793 / 2, three = 3, four = 4, two = 2, ten = 10;

void BM_EvaluateText(benchmark::State& state) {
  nibblet::Evaluator evaluator;
  for (auto _ : state) benchmark::DoNotOptimize(evaluator.evaluateText(kExpression));
}
BENCHMARK(BM_EvaluateText);

void BM_DirectArithmeticAndFormat(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(halfPi);
    benchmark::DoNotOptimize(three);
    benchmark::DoNotOptimize(four);
    benchmark::DoNotOptimize(two);
    benchmark::DoNotOptimize(ten);
    benchmark::DoNotOptimize(directBaseline(halfPi, three, four, two, ten));
  }
}
BENCHMARK(BM_DirectArithmeticAndFormat);

void BM_DirectArithmeticAndFormatResult(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(halfPi);
    benchmark::DoNotOptimize(directFormatted(halfPi, three, four, two, ten));
  }
}
BENCHMARK(BM_DirectArithmeticAndFormatResult);

template <typename F>
double secondsFor(F&& f) {
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kRunLength; ++i) f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  nibblet::Evaluator evaluator;
  std::string result = evaluator.evaluateText(kExpression);
  double evaluatorSeconds =
      secondsFor([&] { benchmark::DoNotOptimize(evaluator.evaluateText(kExpression)); });
  double baselineSeconds = secondsFor([&] {
    benchmark::DoNotOptimize(halfPi);
    benchmark::DoNotOptimize(directBaseline(halfPi, three, four, two, ten));
  });
  double formatSeconds = secondsFor([&] {
    benchmark::DoNotOptimize(halfPi);
    benchmark::DoNotOptimize(directFormatted(halfPi, three, four, two, ten));
  });
  std::fflush(stderr);
  std::printf("\n%d evaluations of \"%s\" (= %s): %.3f s (target under 2 s)\n", kRunLength,
              kExpression, result.c_str(), evaluatorSeconds);
  std::printf("baseline, direct arithmetic + snprintf(\"%%50.20f\"): %.3f s\n", baselineSeconds);
  std::printf("baseline, direct arithmetic + Evaluator::formatResult: %.3f s\n", formatSeconds);
  std::printf("ratio evaluator / snprintf baseline: %.2f, evaluator / formatResult baseline: %.2f\n",
              evaluatorSeconds / baselineSeconds, evaluatorSeconds / formatSeconds);
  return evaluatorSeconds < 2.0 ? 0 : 1;
}
