#pragma once
// Counts the calls by which this process changes files (write, pwrite, fsync, fdatasync, msync,
// rename, link, unlink, ftruncate, chmod and their *at forms) and stops, fails or interrupts one
// of them by its number. A test measures how many calls a piece of work makes, then runs it in
// forked children that die at call 1, 2, ... n: kills that land at every step, however fast or
// loaded the machine is. Linking this file into a test program puts it in front of the C
// library's functions; until a plan is set it only passes the calls on.

#include <functional>

namespace nibblet::test {

struct CallPlan {
  // Counts only the calls of the function of this name ("fchmod", "msync", ...); all when null.
  const char* only = nullptr;
  // Dies by SIGKILL at this call (1 = the first counted one), before it is made; a write or
  // pwrite of more than one byte is made in part first when `tear` is set.
  int killAt = 0;
  bool tear = false;
  // This call and every later one fail with `failError` without being made.
  int failFrom = 0;
  int failError = 0;
  // Runs `action` just before this call is made.
  int actAt = 0;
  std::function<void()> action;
};

// Starts counting from zero with `plan`.
void planCalls(CallPlan plan);
// Counts from zero without interfering.
inline void countCalls() { planCalls({}); }
// Stops counting and interfering; returns how many calls were counted.
int stopCounting();
int countedCalls();
// How many times umask was called since the last plan (it changes no file, so it is only
// counted, never stopped).
int umaskCalls();

}  // namespace nibblet::test
