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
  // Prints "label: a / b = ratio" for two benchmark names.
  void printRatio(const char* label, const std::string& measured, const std::string& baseline) const {
    double a = time(measured), b = time(baseline);
    if (a > 0 && b > 0) std::printf("%s: %s / %s = %.4f\n", label, measured.c_str(), baseline.c_str(), a / b);
  }

 private:
  std::map<std::string, double> m_times;
};

}  // namespace nibblet::bench
