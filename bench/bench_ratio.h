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
  // For benchmarks run with repetitions: prints the ratio of the medians and each one's spread
  // (standard deviation over median).
  void printMedianRatio(const char* label, const std::string& measured, const std::string& baseline) const {
    double a = time(measured + "_median"), b = time(baseline + "_median");
    double sa = time(measured + "_stddev"), sb = time(baseline + "_stddev");
    if (a > 0 && b > 0)
      std::printf("%s: median %s / %s = %.3f (spread %.1f%% / %.1f%%)\n", label, measured.c_str(), baseline.c_str(),
                  a / b, 100.0 * sa / a, 100.0 * sb / b);
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
