// Opening a document, in alternating rounds against a baseline doing the same work:
// - on the spot, 16 MiB and 1 GiB: the file is mapped, not read, so the open must not grow with
//   the file (at most 10 ms for 1 GiB); read() of the whole file into a buffer is shown beside;
// - as a temporary copy, 1 GiB: the program's copy (shared extents, else a copy inside the
//   system, renamed, and synced only before its first edit) against `cp --reflink=auto` of the
//   same file into the same folder: at most cp's time. Measured in /tmp, and on a loop-mounted btrfs image when the
//   machine can make one (as root, with mkfs.btrfs), where both share extents.
// ROUNDS (default 5) sets the rounds; every file is removed at the end.

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "alternating.h"
#include "bench_document.h"
#include "core/document/hex_document.h"
#include "core/platform/unicode.h"

extern char** environ;

namespace {

using namespace nibblet;

void writeFile(const std::string& path, std::int64_t size) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<char> block(1 << 20);
  for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>(i * 131 + 7);
  for (std::int64_t done = 0; done < size; done += static_cast<std::int64_t>(block.size()))
    if (::write(fd, block.data(), block.size()) < 0) break;
  ::fsync(fd);
  ::close(fd);
}

// A document with in-memory services; `openMode` 0 on the spot, 1 a temporary copy in `work`.
struct Document : bench::BenchDocument {
  Document(int openMode, const std::string& work) {
    settings.openMode = openMode;
    setText(settings.workPath, fromUtf8(work));
  }
  // Seconds to open `path`; the document is closed again outside the time.
  double open(const std::string& path) {
    document.setPath(fromUtf8(path));
    double seconds = bench::timeOnce([&] {
      if (!document.openDocument() || document.bytes()[0] + document.bytes()[document.size() - 1] < 0)
        std::printf("OPEN FAILED\n");
    });
    document.abandon();
    return seconds;
  }
};

double runProcess(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  double start = bench::now();
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return 0;
  int status = 0;
  ::waitpid(pid, &status, 0);
  return bench::now() - start;
}

int rounds() {
  const char* r = std::getenv("ROUNDS");
  return r && std::atoi(r) > 0 ? std::atoi(r) : 5;
}

bool onTheSpot(const std::string& folder) {
  bool met = true;
  for (std::int64_t size : {std::int64_t{16} << 20, std::int64_t{1} << 30}) {
    std::string path = folder + "/spot.bin";
    writeFile(path, size);
    Document doc(0, folder + "/work");
    std::vector<char> buffer(static_cast<std::size_t>(size));
    bench::Alternating a;
    a.addTimed("read() of the whole file", [&] {
      int fd = ::open(path.c_str(), O_RDONLY);
      std::size_t done = 0;
      while (done < buffer.size()) {
        ssize_t n = ::read(fd, buffer.data() + done, buffer.size() - done);
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
      }
      ::close(fd);
    });
    a.add("open on the spot", [&] { return doc.open(path); });
    a.run(rounds());
    std::string title = "open on the spot, " + std::to_string(size >> 20) + " MiB";
    a.print(title.c_str());
    bench::show("open vs read()", a["open on the spot"], a["read() of the whole file"]);
    if (size == std::int64_t{1} << 30) met &= bench::limit("open of 1 GiB (ms)", a["open on the spot"].median() * 1e3, true, 10, "");
    std::remove(path.c_str());
  }
  return met;
}

bool temporaryCopy(const std::string& folder, const char* where) {
  std::string path = folder + "/user.bin", copy = folder + "/cp.bin";
  writeFile(path, std::int64_t{1} << 30);
  Document doc(1, folder + "/work");
  bench::Alternating a;
  a.add("cp --reflink=auto", [&] {
    double s = runProcess({"cp", "--reflink=auto", path, copy});
    std::remove(copy.c_str());
    return s;
  });
  a.add("open as a temporary copy", [&] { return doc.open(path); });
  a.run(rounds());
  std::string title = std::string("open as a temporary copy, 1 GiB, ") + where;
  a.print(title.c_str());
  bool met = bench::ratioLimit("temporary copy vs cp --reflink=auto", a["open as a temporary copy"],
                               a["cp --reflink=auto"], 1.0);
  std::remove(path.c_str());
  std::filesystem::remove_all(folder + "/work");
  return met;
}

}  // namespace

int main() {
  char name[] = "/tmp/nibblet-open-bench-XXXXXX";
  std::string folder = ::mkdtemp(name);
  bool met = onTheSpot(folder);
  met &= temporaryCopy(folder, "in /tmp");
  // A btrfs image, where the copy can share the file's extents.
  std::string image = folder + "/btrfs.img", mount = folder + "/btrfs";
  std::filesystem::create_directory(mount);
  std::string make = "truncate -s 2500M '" + image + "' && mkfs.btrfs -q '" + image + "' >/dev/null 2>&1 && mount -o loop '" +
                     image + "' '" + mount + "' 2>/dev/null";
  if (::geteuid() == 0 && std::system(make.c_str()) == 0) {
    met &= temporaryCopy(mount, "on btrfs");
    ::umount2(mount.c_str(), MNT_DETACH);
  } else {
    std::printf("\nno btrfs image could be mounted here: the shared-extent case is skipped\n");
  }
  std::filesystem::remove_all(folder);
  std::printf("\n%s\n", met ? "all limits met" : "some limits MISSED");
  return 0;
}
