#include "core/diff/diff_import.h"

namespace nibblet {

std::size_t firstMismatch(const std::vector<DiffLine>& lines, const std::uint8_t* bytes, std::uint32_t size,
                          DiffDirection direction) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const DiffLine& line = lines[i];
    std::uint8_t expected = direction == DiffDirection::Apply ? line.firstValue : line.secondValue;
    if (line.offset >= size || bytes[line.offset] != expected) return i;
  }
  return lines.size();
}

DiffSummary summarize(const std::vector<DiffLine>& lines) {
  DiffSummary s;
  s.count = lines.size();
  if (lines.empty()) return s;
  s.lowest = s.highest = lines.front().offset;
  for (const DiffLine& line : lines) {
    if (line.offset < s.lowest) s.lowest = line.offset;
    if (line.offset > s.highest) s.highest = line.offset;
  }
  return s;
}

AppendResult writeLines(const std::vector<DiffLine>& lines, std::uint8_t* bytes, std::uint32_t size,
                        ChangeLog& log, DiffDirection direction) {
  AppendResult first = AppendResult::Stored;
  auto write = [&](const DiffLine& line, std::uint8_t value) {
    if (line.offset >= size) return;
    AppendResult r = log.append(line.offset, bytes[line.offset], value);
    if (first == AppendResult::Stored) first = r;
    bytes[line.offset] = value;
  };
  if (direction == DiffDirection::Apply) {
    for (const DiffLine& line : lines) write(line, line.secondValue);
  } else {
    for (std::size_t i = lines.size(); i-- > 0;) write(lines[i], lines[i].firstValue);
  }
  return first;
}

}  // namespace nibblet
