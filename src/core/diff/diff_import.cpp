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
                        ChangeLog& log, DiffDirection direction, const ProgressReport& progress) {
  // Lines written between two reports: a few milliseconds of work.
  constexpr std::size_t kReportEvery = 16384;
  const bool apply = direction == DiffDirection::Apply;
  const std::uint32_t before = log.count();
  AppendResult first = AppendResult::Stored;
  if (!log.mayWrite()) return first;
  // The edits go to the log (and its journal) in batches, each before its bytes are written. A
  // batch holds an offset at most once, so every entry's old value is the byte before the
  // batch: its offsets only rise or only fall, and one out of step starts the next batch.
  constexpr std::size_t kBatch = 1 << 16;
  std::vector<ChangeEntry> batch;
  batch.reserve(std::min(lines.size(), kBatch));
  int step = 0;            // +1 rising, -1 falling, 0 not yet known
  std::size_t flushed = 0;  // lines taken whose bytes are written
  auto flush = [&](std::size_t taken) {
    AppendResult r = log.appendAll(batch);
    if (first == AppendResult::Stored) first = r;
    for (const ChangeEntry& e : batch) bytes[e.offset] = e.newValue;
    batch.clear();
    step = 0;
    flushed = taken;
  };
  bool stopped = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0 && i % kReportEvery == 0 && progress && !progress(i, lines.size())) {
      stopped = true;
      break;
    }
    const DiffLine& line = lines[apply ? i : lines.size() - 1 - i];
    if (line.offset >= size) continue;
    if (!batch.empty()) {
      std::uint32_t last = batch.back().offset;
      int now = line.offset > last ? 1 : line.offset < last ? -1 : 0;
      if (now == 0 || (step != 0 && now != step)) flush(i);
      else step = now;
    }
    batch.push_back({line.offset, bytes[line.offset], apply ? line.secondValue : line.firstValue});
    if (batch.size() == kBatch) flush(i + 1);
  }
  if (!stopped) {
    flush(lines.size());
    if (!progress || progress(lines.size(), lines.size())) return first;
  }
  // Stopped: the batch not yet written is dropped, the entries go newest first, each putting its
  // old byte back, and the journal hears of them in one piece. Every line was tested against the
  // same unchanged bytes, so the byte a line expected is the byte from before the import; it is
  // put back also where an entry found no room in the log.
  batch.clear();
  // A file replaced under the document meanwhile takes no byte: what was written stays, with its
  // entries, for the user to decide about as for any edit.
  if (!log.undoTo(before, bytes, size)) return first;
  for (std::size_t i = 0; i < flushed; ++i) {
    const DiffLine& line = lines[apply ? i : lines.size() - 1 - i];
    if (line.offset < size) bytes[line.offset] = apply ? line.firstValue : line.secondValue;
  }
  return AppendResult::Stored;
}

}  // namespace nibblet
