#include "support/system_calls.h"

// Only headers that do not declare the replaced functions: the C library declares them with
// `throw()` markings these definitions could not match.
#include <dlfcn.h>
#include <errno.h>
#include <signal.h>
#include <sys/types.h>

#include <utility>

namespace nibblet::test {
namespace {

bool g_counting = false;
int g_count = 0;
int g_umasks = 0;
CallPlan g_plan;

template <typename F>
F next(const char* name) {
  return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

[[noreturn]] void die() {
  for (;;) ::raise(SIGKILL);
}

// What to do with the next counted call: make it, fail it (errno set), die before it, or make
// half of a write and die.
enum class Step { Make, Fail, Die, Tear };

bool sameName(const char* a, const char* b) {
  while (*a && *a == *b) ++a, ++b;
  return *a == *b;
}

Step step(const char* name) {
  if (!g_counting || (g_plan.only && !sameName(g_plan.only, name))) return Step::Make;
  int n = ++g_count;
  if (g_plan.actAt == n && g_plan.action) {
    // The action may itself change files; it is not counted.
    g_counting = false;
    g_plan.action();
    g_counting = true;
  }
  if (g_plan.killAt == n) return g_plan.tear ? Step::Tear : Step::Die;
  if (g_plan.failFrom > 0 && n >= g_plan.failFrom) {
    errno = g_plan.failError;
    return Step::Fail;
  }
  return Step::Make;
}

}  // namespace

void planCalls(CallPlan plan) {
  g_plan = std::move(plan);
  g_count = 0;
  g_umasks = 0;
  g_counting = true;
}

int stopCounting() {
  g_counting = false;
  g_plan = {};
  return g_count;
}

int countedCalls() { return g_count; }

int umaskCalls() { return g_umasks; }

}  // namespace nibblet::test

using nibblet::test::Step;
using nibblet::test::die;
using nibblet::test::next;
using nibblet::test::g_umasks;
using nibblet::test::step;

extern "C" {

ssize_t write(int fd, const void* data, size_t size) {
  static auto real = next<ssize_t (*)(int, const void*, size_t)>("write");
  switch (step("write")) {
    case Step::Make: return real(fd, data, size);
    case Step::Fail: return -1;
    case Step::Tear:
      if (size > 1) real(fd, data, size / 2);
      [[fallthrough]];
    case Step::Die: die();
  }
  return -1;
}

ssize_t pwrite(int fd, const void* data, size_t size, off_t offset) {
  static auto real = next<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite");
  switch (step("pwrite")) {
    case Step::Make: return real(fd, data, size, offset);
    case Step::Fail: return -1;
    case Step::Tear:
      if (size > 1) real(fd, data, size / 2, offset);
      [[fallthrough]];
    case Step::Die: die();
  }
  return -1;
}

// The calls that are made whole or not at all.
#define NIBBLET_COUNTED(result, name, params, args)                 \
  result name params {                                             \
    static auto real = next<result(*) params>(#name);              \
    switch (step(#name)) {                                         \
      case Step::Make: return real args;                           \
      case Step::Fail: return -1;                                  \
      case Step::Tear:                                             \
      case Step::Die: die();                                       \
    }                                                              \
    return -1;                                                     \
  }

NIBBLET_COUNTED(int, fsync, (int fd), (fd))
NIBBLET_COUNTED(int, fdatasync, (int fd), (fd))
NIBBLET_COUNTED(int, msync, (void* at, size_t size, int flags), (at, size, flags))
NIBBLET_COUNTED(int, rename, (const char* from, const char* to), (from, to))
NIBBLET_COUNTED(int, renameat, (int a, const char* from, int b, const char* to), (a, from, b, to))
NIBBLET_COUNTED(int, renameat2, (int a, const char* from, int b, const char* to, unsigned flags),
                (a, from, b, to, flags))
NIBBLET_COUNTED(int, link, (const char* from, const char* to), (from, to))
NIBBLET_COUNTED(int, linkat, (int a, const char* from, int b, const char* to, int flags), (a, from, b, to, flags))
NIBBLET_COUNTED(int, unlink, (const char* path), (path))
NIBBLET_COUNTED(int, unlinkat, (int at, const char* path, int flags), (at, path, flags))
NIBBLET_COUNTED(int, ftruncate, (int fd, off_t size), (fd, size))
NIBBLET_COUNTED(int, fchmod, (int fd, mode_t mode), (fd, mode))
NIBBLET_COUNTED(int, chmod, (const char* path, mode_t mode), (path, mode))

#undef NIBBLET_COUNTED

mode_t umask(mode_t mask) {
  static auto real = next<mode_t (*)(mode_t)>("umask");
  ++g_umasks;
  return real(mask);
}

}  // extern "C"
