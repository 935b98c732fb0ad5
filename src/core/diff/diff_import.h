#pragma once
// The rules of Import diff over the lines of a difference file: whether they fit the document
// as it is now, what they would change, and writing them as recorded edits.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/diff/diff_file.h"
#include "core/document/change_log.h"
#include "core/platform/wait_cursor.h"

namespace nibblet {

// Apply writes each line's second value where the document holds its first value; TakeBack
// puts the first values back where the document holds the second ones.
enum class DiffDirection { Apply, TakeBack };

// Index of the first line whose offset lies outside `size` or whose expected byte (the first
// value for Apply, the second for TakeBack) differs from the document's byte now; lines.size()
// when every line fits. Every line is tested against the same, unchanged bytes.
std::size_t firstMismatch(const std::vector<DiffLine>& lines, const std::uint8_t* bytes, std::uint32_t size,
                          DiffDirection direction);

// What an import would touch: the number of lines and the lowest and highest offset.
struct DiffSummary {
  std::size_t count = 0;
  std::uint32_t lowest = 0;
  std::uint32_t highest = 0;
};
DiffSummary summarize(const std::vector<DiffLine>& lines);

// Writes the lines into `bytes` as the view writes an entry: each edit is appended to `log`
// (offset, the byte now, the new byte) before its byte is stored, in batches of many edits. Apply
// goes in file order, TakeBack in reverse order. Every offset must be below `size`
// (firstMismatch said so). A byte whose entry cannot be stored is written all the same; the
// result is Stored or the first such failure, for the one message the caller shows. Nothing is
// written when the log says no byte may be written now. `progress`, when given, hears of the
// lines taken (taken, count) now and then; when it answers false everything written is taken
// back (the entries undone through the log, so its observer hears of them) and the document
// holds its bytes as before.
AppendResult writeLines(const std::vector<DiffLine>& lines, std::uint8_t* bytes, std::uint32_t size,
                        ChangeLog& log, DiffDirection direction, const ProgressReport& progress = {});

}  // namespace nibblet
