// Runs arbitrary bytes through readDiffFile, as a file the user picked for Import diff, and
// checks the reader against the in-memory line collector and the line format's bounds.

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/diff/diff_file.h"
#include "core/platform/unicode.h"

namespace {

// One in-memory file reused for every input, reached by path like a file on disk.
int memoryFile() {
  static int fd = ::memfd_create("diff_file_fuzz", 0);
  return fd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  int fd = memoryFile();
  if (fd < 0 || ::ftruncate(fd, 0) != 0) std::abort();
  for (std::size_t done = 0; done < size;) {
    ssize_t n = ::pwrite(fd, data + done, size - done, static_cast<off_t>(done));
    if (n <= 0) std::abort();
    done += static_cast<std::size_t>(n);
  }
  std::vector<nibblet::DiffLine> fromFile;
  std::string path = "/proc/self/fd/" + std::to_string(fd);
  if (nibblet::readDiffFile(nibblet::fromUtf8(path), fromFile) != 0) std::abort();

  std::vector<nibblet::DiffLine> fromText;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  if (!nibblet::parseDiffText(text, fromText)) std::abort();
  if (fromFile != fromText) std::abort();
  // Every accepted line used at least 13 characters of the input.
  if (fromText.size() > size / 13) std::abort();
  return 0;
}
