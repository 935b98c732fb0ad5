#include "support/kill_points.h"

#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/system_calls.h"

namespace nibblet::test {

int callsMadeBy(const std::function<void()>& body, const char* only) {
  void* shared = ::mmap(nullptr, sizeof(int), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  if (shared == MAP_FAILED) return -1;
  int* count = static_cast<int*>(shared);
  *count = -1;
  pid_t pid = ::fork();
  if (pid == 0) {
    CallPlan plan;
    plan.only = only;
    planCalls(plan);
    body();
    *count = stopCounting();
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  int result = WIFEXITED(status) ? *count : -1;
  ::munmap(shared, sizeof(int));
  return result;
}

bool killedAtCall(int n, bool tear, const std::function<void()>& body) {
  pid_t pid = ::fork();
  if (pid == 0) {
    CallPlan plan;
    plan.killAt = n;
    plan.tear = tear;
    planCalls(plan);
    body();
    stopCounting();
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

std::vector<int> killPoints(int total, int most) {
  std::vector<int> points;
  if (total <= most) {
    for (int i = 1; i <= total; ++i) points.push_back(i);
    return points;
  }
  for (int i = 1; i <= 10; ++i) points.push_back(i);
  int middle = most - 20;
  for (int k = 1; k <= middle; ++k) points.push_back(10 + (total - 20) * k / (middle + 1));
  for (int i = total - 9; i <= total; ++i) points.push_back(i);
  return points;
}

}  // namespace nibblet::test
