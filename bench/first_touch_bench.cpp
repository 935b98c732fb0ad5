// The first search and the first compare of a file in a fresh process, as a user meets them
// right after opening it, against the same work done by grep -c -F and cmp -l on the same
// page-cached files, each started as its own process in alternating rounds. Limits: at most half
// of grep's and of cmp's time. The two 1 GiB files live in /tmp and are removed at the end.
// ROUNDS (default 7) sets the rounds.

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "alternating.h"
#include "core/diff/compare.h"
#include "core/platform/mapped_file.h"
#include "core/platform/unicode.h"
#include "core/view/find_in_pieces.h"

extern char** environ;

namespace {

using namespace nibblet;

constexpr std::size_t kSize = std::size_t{1} << 30;
// Absent from the files below (checked by the search itself).
const char kAbsent[] = "\x3A\x91\x07\xC4\x5E\x12\xEE\x80";

// The program's own path: the document's file mapped read-write, searched from its start.
int childSearch(const char* path) {
  MappedFile file;
  if (file.open(fromUtf8(path), Access::ReadWrite) != 0) return 2;
  const std::uint8_t* hit = nullptr;
  findBytesInPieces(file.bytes(), file.size(), reinterpret_cast<const std::uint8_t*>(kAbsent), 8, {}, hit);
  return hit ? 1 : 0;
}

// The document mapped read-write, the second file read-only, compared into the differences.
int childCompare(const char* a, const char* b) {
  MappedFile doc, other;
  if (doc.open(fromUtf8(a), Access::ReadWrite) != 0 || other.open(fromUtf8(b), Access::ReadOnly) != 0) return 2;
  DiffSet diffs;
  AppendResult stored;
  compareBytes(doc.bytes(), other.bytes(), doc.size(), diffs, stored);
  return diffs.count() == 10 ? 0 : 1;
}

// Runs a program to its end with its output sent to a scratch file (not to /dev/null: cmp
// notices that and stops at the first difference); returns the seconds it took.
double runProcess(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/tmp/nibblet-first-touch.out", O_WRONLY | O_CREAT | O_TRUNC, 0600);
  double start = bench::now();
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
    std::printf("cannot start %s\n", argv[0]);
    return 0;
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  double seconds = bench::now() - start;
  posix_spawn_file_actions_destroy(&actions);
  return seconds;
}

std::string makeFile(bool withDifferences) {
  char name[] = "/tmp/nibblet-first-touch-XXXXXX";
  int fd = ::mkstemp(name);
  std::vector<std::uint8_t> block(1 << 20);
  for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>((i * 131 + (i >> 9)) % 251);
  for (std::size_t done = 0; done < kSize; done += block.size()) {
    std::vector<std::uint8_t> b = block;
    if (withDifferences && done / block.size() % 100 == 7) b[done % 4093] ^= 0x20;  // ten differences
    if (::write(fd, b.data(), b.size()) < 0) break;
  }
  ::fsync(fd);
  ::close(fd);
  return name;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--search") == 0) return childSearch(argv[2]);
  if (argc == 4 && std::strcmp(argv[1], "--compare") == 0) return childCompare(argv[2], argv[3]);
  const char* r = std::getenv("ROUNDS");
  const int rounds = r && std::atoi(r) > 0 ? std::atoi(r) : 7;
  // The baselines run in the C locale, their fastest.
  ::setenv("LC_ALL", "C", 1);
  std::string self = "/proc/self/exe";
  char exe[4096];
  ssize_t n = ::readlink(self.c_str(), exe, sizeof exe - 1);
  if (n <= 0) return 1;
  exe[n] = 0;
  std::string a = makeFile(false), b = makeFile(true);
  std::printf("first touch in a fresh process, two 1 GiB files in the page cache\n");

  bench::Alternating search;
  search.add("grep -c -F", [&] { return runProcess({"grep", "-c", "-F", kAbsent, a}); });
  search.add("search, fresh process", [&] { return runProcess({exe, "--search", a}); });
  search.run(rounds);
  search.print("first search, absent 8 bytes");
  bool met = bench::ratioLimit("first search vs grep -c -F", search["search, fresh process"], search["grep -c -F"], 0.5);

  bench::Alternating compare;
  compare.add("cmp -l", [&] { return runProcess({"cmp", "-l", a, b}); });
  compare.add("compare, fresh process", [&] { return runProcess({exe, "--compare", a, b}); });
  compare.run(rounds);
  compare.print("first compare, ten differences");
  met &= bench::ratioLimit("first compare vs cmp -l", compare["compare, fresh process"], compare["cmp -l"], 0.5);

  std::remove(a.c_str());
  std::remove(b.c_str());
  std::remove("/tmp/nibblet-first-touch.out");
  std::printf("\n%s\n", met ? "all limits met" : "some limits MISSED");
  return 0;
}
