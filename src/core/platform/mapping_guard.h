#pragma once
// Keeps a file shortened by another program from killing the editor. Touching a page of a
// mapping past the end of its file raises SIGBUS; the guard's handler puts anonymous memory
// over the rest of that mapping, so the access completes (reads give zeros, writes go nowhere)
// and the mapping is marked as damaged. The owner checks the mark and closes the document.
// Faults outside a guarded mapping keep the system's default action.

#include <cstddef>

namespace nibblet {

class MappingGuard {
 public:
  // Installs the SIGBUS handler once for the process; later calls do nothing.
  static void install();

  // Registers [begin, begin + length) and returns its slot, or -1 when every slot is taken (the
  // mapping then stays unguarded, as without the guard).
  static int watch(const void* begin, std::size_t length);
  // Forgets a slot; does nothing for -1.
  static void forget(int slot);
  // True once an access to the slot's range has faulted.
  static bool isDamaged(int slot);
};

}  // namespace nibblet
