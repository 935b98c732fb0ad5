#pragma once
// A console reporter that also remembers each benchmark's time, so a benchmark program can
// print the ratio of a measurement to the baseline measured in the same run.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

namespace nibblet::bench {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) m_times[run.benchmark_name()] = run.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  double time(const std::string& name) const {
    auto it = m_times.find(name);
    return it == m_times.end() ? 0.0 : it->second;
  }
  // The time of a benchmark run with repetitions: its "_median" or "_stddev" aggregate.
  double aggregate(const std::string& name, const char* which) const {
    for (const auto& [key, value] : m_times)
      if (key.rfind(name, 0) == 0 && key.size() > name.size() && key.ends_with(which)) return value;
    return 0.0;
  }
  // Prints "label: a / b = ratio" of the medians, with each one's spread (stddev / median).
  void printMedianRatio(const char* label, const std::string& measured, const std::string& baseline) const {
    double a = aggregate(measured, "_median"), b = aggregate(baseline, "_median");
    if (a <= 0 || b <= 0) return;
    std::printf("%s: time %s / %s = %.3f, speed %.2fx (medians %.4g / %.4g in the benchmarks' unit, spread %.1f%% / "
                "%.1f%%)\n",
                label, measured.c_str(), baseline.c_str(), a / b, b / a, a, b, 100 * aggregate(measured, "_stddev") / a,
                100 * aggregate(baseline, "_stddev") / b);
  }
  // Prints "label: a / b = ratio" for two benchmark names.
  void printRatio(const char* label, const std::string& measured, const std::string& baseline) const {
    double a = time(measured), b = time(baseline);
    if (a > 0 && b > 0) std::printf("%s: %s / %s = %.4f\n", label, measured.c_str(), baseline.c_str(), a / b);
  }

 private:
  std::map<std::string, double> m_times;
};

}  // namespace nibblet::bench
