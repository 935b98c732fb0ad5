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
                        ChangeLog& log, DiffDirection direction, const ProgressReport& progress) {
  // Lines written between two reports: a few milliseconds of work.
  constexpr std::size_t kReportEvery = 16384;
  const bool apply = direction == DiffDirection::Apply;
  const std::uint32_t before = log.count();
  AppendResult first = AppendResult::Stored;
  std::size_t written = 0;
  for (; written < lines.size(); ++written) {
    const DiffLine& line = lines[apply ? written : lines.size() - 1 - written];
    if (written % kReportEvery == 0 && written > 0 && progress && !progress(written, lines.size())) break;
    if (line.offset >= size) continue;
    std::uint8_t value = apply ? line.secondValue : line.firstValue;
    AppendResult r = log.append(line.offset, bytes[line.offset], value);
    if (first == AppendResult::Stored) first = r;
    bytes[line.offset] = value;
  }
  if (written == lines.size() && (!progress || progress(written, lines.size()))) return first;
  // Stopped: the entries go newest first, each putting its old byte back. Every line was tested
  // against the same unchanged bytes, so the byte a line expected is the byte from before the
  // import; it is put back also where an entry found no room in the log.
  while (log.count() > before) log.undoLast(bytes, size);
  for (std::size_t i = 0; i < written; ++i) {
    const DiffLine& line = lines[apply ? i : lines.size() - 1 - i];
    if (line.offset < size) bytes[line.offset] = apply ? line.firstValue : line.secondValue;
  }
  return AppendResult::Stored;
}

}  // namespace nibblet
