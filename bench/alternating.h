#pragma once
// Measurements in alternating rounds: every round runs the baseline and then each other
// measurement once, so a change in the machine's load (other builds, other benchmarks) falls on
// all of them alike. Each series is reported as its median with its spread, and every limit as
// the measured value, the bound and "met" or "MISSED".

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace nibblet::bench {

inline double now() {
  timespec t;
  ::clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Times `body` once, in seconds.
inline double timeOnce(const std::function<void()>& body) {
  double start = now();
  body();
  return now() - start;
}

struct Series {
  std::string name;
  std::function<double()> run;  // one round: returns the seconds it measured
  std::vector<double> seconds;

  double quantile(double q) const {
    if (seconds.empty()) return 0;
    std::vector<double> s = seconds;
    std::sort(s.begin(), s.end());
    double at = q * static_cast<double>(s.size() - 1);
    auto lo = static_cast<std::size_t>(at);
    std::size_t hi = lo + 1 < s.size() ? lo + 1 : lo;
    return s[lo] + (s[hi] - s[lo]) * (at - static_cast<double>(lo));
  }
  double median() const { return quantile(0.5); }
  // The interquartile range as a share of the median.
  double spread() const {
    double m = median();
    return m > 0 ? (quantile(0.75) - quantile(0.25)) / m : 0;
  }
};

class Alternating {
 public:
  // Adds a measurement; `run` does one round and returns the seconds it measured (so setup
  // can be left out). The first measurement added is the baseline of the others.
  void add(std::string name, std::function<double()> run) { m_series.push_back({std::move(name), std::move(run), {}}); }
  // Adds a measurement timed whole.
  void addTimed(std::string name, std::function<void()> body) {
    add(std::move(name), [body = std::move(body)] { return timeOnce(body); });
  }

  // Runs `rounds` rounds, each in the order the measurements were added, after one warm-up
  // round that is not counted (unless `warmUp` is false: first touches are then measured too).
  void run(int rounds, bool warmUp = true) {
    if (warmUp)
      for (Series& s : m_series) s.run();
    for (int r = 0; r < rounds; ++r)
      for (Series& s : m_series) s.seconds.push_back(s.run());
  }

  const Series& operator[](const std::string& name) const {
    for (const Series& s : m_series)
      if (s.name == name) return s;
    return m_series.front();
  }

  // One line per series: median, spread and number of rounds.
  void print(const char* title) const {
    std::printf("\n%s (%zu alternating rounds)\n", title, m_series.empty() ? 0 : m_series.front().seconds.size());
    for (const Series& s : m_series)
      std::printf("  %-44s median %10.3f ms  spread (IQR) %5.1f%%\n", s.name.c_str(), s.median() * 1e3,
                  s.spread() * 100);
  }

 private:
  std::vector<Series> m_series;
};

// Prints one limit: what was measured, against which bound, and whether it was met. `atMost`
// says whether the bound is an upper one. Returns whether it was met.
inline bool limit(const char* what, double measured, bool atMost, double bound, const char* unit) {
  bool met = atMost ? measured <= bound : measured >= bound;
  std::printf("LIMIT %s: %.3f%s %s %.3f%s: %s\n", what, measured, unit, atMost ? "<=" : ">=", bound, unit,
              met ? "met" : "MISSED");
  return met;
}

// A time ratio (ours / baseline) against a bound on it, with both medians and spreads shown.
inline bool ratioLimit(const char* what, const Series& ours, const Series& baseline, double bound) {
  double ratio = ours.median() / baseline.median();
  std::printf("      %s: %s %.3f ms (spread %.1f%%) / %s %.3f ms (spread %.1f%%)\n", what, ours.name.c_str(),
              ours.median() * 1e3, ours.spread() * 100, baseline.name.c_str(), baseline.median() * 1e3,
              baseline.spread() * 100);
  return limit(what, ratio, true, bound, "x time");
}

// A speed relative to the baseline's (baseline time / our time) against a lower bound.
inline bool speedLimit(const char* what, const Series& ours, const Series& baseline, double bound) {
  double speed = baseline.median() / ours.median();
  std::printf("      %s: %s %.3f ms (spread %.1f%%) / %s %.3f ms (spread %.1f%%)\n", what, ours.name.c_str(),
              ours.median() * 1e3, ours.spread() * 100, baseline.name.c_str(), baseline.median() * 1e3,
              baseline.spread() * 100);
  return limit(what, speed, false, bound, "x speed");
}

// A comparison no limit is named for: the time ratio and the speed relative to the baseline.
inline void show(const char* what, const Series& ours, const Series& baseline) {
  double ratio = ours.median() / baseline.median();
  std::printf("      %s: %s %.3f ms / %s %.3f ms = %.3fx time, %.2fx speed\n", what, ours.name.c_str(),
              ours.median() * 1e3, baseline.name.c_str(), baseline.median() * 1e3, ratio, 1 / ratio);
}

}  // namespace nibblet::bench
