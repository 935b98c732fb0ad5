// Saving a temporary copy writes only the changed bytes into the user's file, through a synced
// journal. Measured on a 1 GiB copy with 10 changed bytes, against rewriting the whole file
// safely (fresh file, checked writes, fsync, rename), in alternating rounds. Limit: a save of
// 10 changed bytes at most 50 ms. ROUNDS (default 5).

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "alternating.h"
#include "bench_document.h"
#include "core/document/hex_document.h"
#include "core/document/save_file.h"
#include "core/platform/unicode.h"

namespace {

using namespace nibblet;

constexpr std::int64_t kSize = std::int64_t{1} << 30;

// A folder with a 1 GiB file, opened once as a temporary copy for every round.
struct Setup : bench::BenchDocument {
  std::string folder;

  Setup() {
    char name[] = "/tmp/nibblet-save-bench-XXXXXX";
    folder = ::mkdtemp(name);
    std::string file = folder + "/big.bin";
    int fd = ::open(file.c_str(), O_WRONLY | O_CREAT, 0644);
    std::vector<char> block(1 << 20);
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>(i * 131 + 7);
    for (std::int64_t done = 0; done < kSize; done += static_cast<std::int64_t>(block.size()))
      if (::write(fd, block.data(), block.size()) < 0) break;
    ::fsync(fd);
    ::close(fd);
    setText(settings.workPath, fromUtf8(folder + "/work"));
    settings.openMode = 1;
    document.setPath(fromUtf8(file));
    document.openDocument();
  }
  ~Setup() {
    document.abandon();
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
  }
};

Setup& setup() {
  static Setup s;
  return s;
}

// Ten bytes changed, then saved; the edits are made outside the time.
double saveTenChangedBytes() {
  Setup& s = setup();
  static std::uint8_t value = 0;
  ++value;
  for (std::uint32_t i = 0; i < 10; ++i) {
    std::uint32_t at = static_cast<std::uint32_t>((kSize / 10) * i + 4095);
    s.document.changeLog().append(at, s.document.bytes()[at], value);
    s.document.bytes()[at] = value;
  }
  s.messages.clear();
  return bench::timeOnce([&] {
    if (!s.document.save(false)) std::printf("SAVE FAILED\n");
  });
}

double rewriteWholeFile() {
  Setup& s = setup();
  std::u16string target = fromUtf8(s.folder + "/rewritten.bin");
  return bench::timeOnce([&] {
    if (writeFileReplacing(target, s.document.bytes(), s.document.size()) != 0) std::printf("WRITE FAILED\n");
  });
}

}  // namespace

int main() {
  const char* r = std::getenv("ROUNDS");
  const int rounds = r && std::atoi(r) > 0 ? std::atoi(r) : 5;
  bench::Alternating a;
  a.add("whole copy to a fresh file, fsync, rename", rewriteWholeFile);
  a.add("save of 10 changed bytes", saveTenChangedBytes);
  a.run(rounds);
  a.print("saving a 1 GiB temporary copy");
  bench::show("save vs rewriting the whole file", a["save of 10 changed bytes"],
              a["whole copy to a fresh file, fsync, rename"]);
  bool met = bench::limit("save of 10 changed bytes (ms)", a["save of 10 changed bytes"].median() * 1e3, true, 50, "");
  std::remove((setup().folder + "/rewritten.bin").c_str());
  std::printf("\n%s\n", met ? "all limits met" : "some limits MISSED");
  return 0;
}
