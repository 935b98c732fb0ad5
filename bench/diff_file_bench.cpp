// Writing and reading a difference file of 4M lines (one per 16th byte of a 64 MiB document),
// in alternating rounds against the plain way of doing the same: fprintf per line and an fsync,
// fgets and sscanf per line. Limit: at least 100 MB/s of text both ways. ROUNDS (default 5).

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "alternating.h"
#include "plain_diff_reader.h"
#include "core/diff/diff_file.h"
#include "core/document/change_log.h"
#include "core/platform/unicode.h"

namespace {

using namespace nibblet;

constexpr std::uint32_t kMiB64 = 64u << 20;
constexpr std::uint32_t kLines = 4u << 20;

std::size_t fileSize(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return 0;
  std::fseek(f, 0, SEEK_END);
  long n = std::ftell(f);
  std::fclose(f);
  return static_cast<std::size_t>(n);
}

}  // namespace

int main() {
  const char* r = std::getenv("ROUNDS");
  const int rounds = r && std::atoi(r) > 0 ? std::atoi(r) : 5;
  ChangeLog log;
  for (std::uint32_t i = 0; i < kLines; ++i) log.append(i * 16, static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(~i));
  char name[] = "/tmp/nibblet-diff-file-bench-XXXXXX";
  ::close(::mkstemp(name));
  const std::string ours = name, plain = ours + ".fprintf";
  const DiffFileHeader header{"data.bin", "", false, kMiB64};

  bench::Alternating write;
  write.addTimed("fprintf per line, fsync", [&] {
    FILE* f = std::fopen(plain.c_str(), "w");
    std::fprintf(f, ";Nibblet diff file\n;FILE: %s\n;SIZE: %d\n", "data.bin", int(kMiB64));
    for (std::uint32_t i = 0; i < log.count(); ++i) {
      const ChangeEntry& e = log.entry(i);
      std::fprintf(f, "%08X: %02X %02X\n", e.offset, e.oldValue, e.newValue);
    }
    std::fflush(f);
    ::fsync(fileno(f));
    std::fclose(f);
  });
  write.addTimed("writeDiffFile", [&] {
    if (writeDiffFile(log, fromUtf8(ours), header) != 0) std::printf("WRITE FAILED\n");
  });
  write.run(rounds);
  write.print("writing 4M lines");
  const double megabytes = static_cast<double>(fileSize(ours)) / 1e6;
  bench::show("write vs fprintf", write["writeDiffFile"], write["fprintf per line, fsync"]);
  bool met = bench::limit("write speed (MB/s)", megabytes / write["writeDiffFile"].median(), false, 100, "");

  std::vector<DiffLine> lines;
  bench::Alternating read;
  read.addTimed("fgets and sscanf per line", [&] {
    std::vector<DiffLine> got;
    bench::readWithFgets(ours, got);
  });
  read.addTimed("readDiffFile", [&] {
    lines.clear();
    if (readDiffFile(fromUtf8(ours), lines) != 0 || lines.size() != kLines) std::printf("READ FAILED\n");
  });
  read.run(rounds);
  read.print("reading 4M lines");
  bench::show("read vs fgets and sscanf", read["readDiffFile"], read["fgets and sscanf per line"]);
  met &= bench::limit("read speed (MB/s)", megabytes / read["readDiffFile"].median(), false, 100, "");

  std::remove(ours.c_str());
  std::remove(plain.c_str());
  std::printf("\n%s\n", met ? "all limits met" : "some limits MISSED");
  return 0;
}
