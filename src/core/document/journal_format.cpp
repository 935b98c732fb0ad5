#include "core/document/journal_format.h"

#include <sys/stat.h>

#include <new>

#include "core/platform/posix_file.h"

namespace nibblet::journal {

bool readWhole(int fd, std::vector<std::uint8_t>& out) {
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > (std::int64_t{1} << 34)) return false;
  try {
    out.resize(static_cast<std::size_t>(st.st_size));
  } catch (const std::bad_alloc&) {
    return false;
  }
  return readAllAt(fd, out.data(), out.size(), 0) == 0;
}

}  // namespace nibblet::journal
