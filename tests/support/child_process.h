#pragma once
// Runs part of a test in a forked child, so a crash, a kill or a change of user there cannot
// take the test program down with it.

#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace nibblet::test {

// Runs `body` in a child process and returns its exit status (or 128 + signal).
inline int inChild(const std::function<int()>& body) {
  pid_t pid = ::fork();
  if (pid == 0) ::_exit(body());
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Drops to the unprivileged user "nobody" when running as root; false when that failed.
inline bool becomeNobody() {
  return ::geteuid() != 0 || (::setgid(65534) == 0 && ::setuid(65534) == 0);
}

}  // namespace nibblet::test
