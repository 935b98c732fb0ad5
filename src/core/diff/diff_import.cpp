#include "core/diff/diff_import.h"

#include <algorithm>

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
  if (!log.mayWrite()) return first;
  // The edits go to the log (and its journal) in batches, each before its bytes are written. A
  // batch holds an offset at most once, so every entry's old value is the byte before the
  // batch: its offsets only rise or only fall, and one out of step starts the next batch.
  constexpr std::size_t kBatch = 1 << 16;
  std::vector<ChangeEntry> batch;
  batch.reserve(std::min(lines.size(), kBatch));
  int step = 0;  // +1 rising, -1 falling, 0 not yet known
  auto flush = [&] {
    AppendResult r = log.appendAll(batch);
    if (first == AppendResult::Stored) first = r;
    for (const ChangeEntry& e : batch) bytes[e.offset] = e.newValue;
    batch.clear();
    step = 0;
  };
  auto write = [&](const DiffLine& line, std::uint8_t value) {
    if (line.offset >= size) return;
    if (!batch.empty()) {
      std::uint32_t last = batch.back().offset;
      int now = line.offset > last ? 1 : line.offset < last ? -1 : 0;
      if (now == 0 || (step != 0 && now != step)) flush();
      else step = now;
    }
    batch.push_back({line.offset, bytes[line.offset], value});
    if (batch.size() == kBatch) flush();
  };
  if (direction == DiffDirection::Apply) {
    for (const DiffLine& line : lines) write(line, line.secondValue);
  } else {
    for (std::size_t i = lines.size(); i-- > 0;) write(lines[i], lines[i].firstValue);
  }
  flush();
  return first;
}

}  // namespace nibblet
