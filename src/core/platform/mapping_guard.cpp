#include "core/platform/mapping_guard.h"

#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>

namespace nibblet {
namespace {

// The handler reads these without locks; a slot's range is written before it is published
// through `begin` and cleared by setting `begin` to 0 first.
struct Slot {
  std::atomic<std::uintptr_t> begin{0};
  std::atomic<std::uintptr_t> end{0};
  std::atomic<bool> damaged{false};
  std::atomic<bool> taken{false};
};

constexpr int kSlots = 16;
Slot g_slots[kSlots];
std::atomic<bool> g_installed{false};
std::uintptr_t g_pageSize = 4096;
struct sigaction g_previous;

void onBusError(int signal, siginfo_t* info, void* context) {
  const int savedErrno = errno;  // the interrupted code may be about to read it
  struct RestoreErrno {
    int value;
    ~RestoreErrno() { errno = value; }
  } restore{savedErrno};
  auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
  std::uintptr_t page = g_pageSize;
  for (Slot& slot : g_slots) {
    std::uintptr_t begin = slot.begin.load();
    std::uintptr_t end = slot.end.load();
    if (begin == 0 || address < begin || address >= end) continue;
    std::uintptr_t from = address & ~(page - 1);
    // Everything from the faulting page on is replaced, so each later access succeeds at once.
    void* done = ::mmap(reinterpret_cast<void*>(from), end - from, PROT_READ | PROT_WRITE,
                        MAP_FIXED | MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (done != MAP_FAILED) {
      slot.damaged.store(true);
      return;
    }
  }
  // Not one of ours: hand the fault on, or let the default action end the process.
  if (g_previous.sa_flags & SA_SIGINFO) {
    if (g_previous.sa_sigaction) {
      g_previous.sa_sigaction(signal, info, context);
      return;
    }
  } else if (g_previous.sa_handler != SIG_DFL && g_previous.sa_handler != SIG_IGN) {
    g_previous.sa_handler(signal);
    return;
  }
  struct sigaction fallback = {};
  fallback.sa_handler = SIG_DFL;
  ::sigaction(SIGBUS, &fallback, nullptr);
}

}  // namespace

void MappingGuard::install() {
  bool expected = false;
  if (!g_installed.compare_exchange_strong(expected, true)) return;
  long page = ::sysconf(_SC_PAGESIZE);
  if (page > 0) g_pageSize = static_cast<std::uintptr_t>(page);
  struct sigaction action = {};
  action.sa_sigaction = onBusError;
  action.sa_flags = SA_SIGINFO | SA_NODEFER;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGBUS, &action, &g_previous);
}

int MappingGuard::watch(const void* begin, std::size_t length) {
  install();
  for (int i = 0; i < kSlots; ++i) {
    bool expected = false;
    if (!g_slots[i].taken.compare_exchange_strong(expected, true)) continue;
    auto b = reinterpret_cast<std::uintptr_t>(begin);
    g_slots[i].damaged.store(false);
    g_slots[i].end.store(b + length);
    g_slots[i].begin.store(b);
    return i;
  }
  return -1;
}

void MappingGuard::forget(int slot) {
  if (slot < 0 || slot >= kSlots) return;
  g_slots[slot].begin.store(0);
  g_slots[slot].end.store(0);
  g_slots[slot].damaged.store(false);
  g_slots[slot].taken.store(false);
}

bool MappingGuard::isDamaged(int slot) {
  return slot >= 0 && slot < kSlots && g_slots[slot].damaged.load();
}

}  // namespace nibblet
