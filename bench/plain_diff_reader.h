#pragma once
// The plain C reading of a difference file, the baseline the program's reader is measured
// against: fgets and sscanf per line.

#include <cstdio>
#include <string>
#include <vector>

#include "core/diff/diff_file.h"

namespace nibblet::bench {

inline void readWithFgets(const std::string& path, std::vector<DiffLine>& lines) {
  FILE* f = std::fopen(path.c_str(), "r");
  if (!f) return;
  char line[255];
  while (std::fgets(line, sizeof line, f)) {
    unsigned offset, first, second;
    if (std::sscanf(line, "%8X: %2X %2X", &offset, &first, &second) == 3)
      lines.push_back({offset, static_cast<std::uint8_t>(first), static_cast<std::uint8_t>(second)});
  }
  std::fclose(f);
}

}  // namespace nibblet::bench
