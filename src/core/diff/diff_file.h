#pragma once
// The difference text file: a header of informational lines, then one line "%08X: %02X %02X"
// per byte (offset, the value it holds now, the value it is to get). The writer takes the
// change log or a comparison's differences; the reader collects the data lines of any file.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform/wait_cursor.h"

namespace nibblet {

class ChangeLog;
class DiffSet;

// One accepted data line of a difference file.
struct DiffLine {
  std::uint32_t offset;
  std::uint8_t firstValue;   // the byte the document must hold now
  std::uint8_t secondValue;  // the byte to write

  friend bool operator==(const DiffLine&, const DiffLine&) = default;
};

// The header texts of a file: the names are already in the system's multi-byte code page.
struct DiffFileHeader {
  std::string fileName;          // ";FILE: "
  std::string secondFileName;    // ";FILE2: ", only when hasSecondFile
  bool hasSecondFile = false;
  std::uint32_t size = 0;        // ";SIZE: ", written as a signed number
};

// Value of the hexadecimal digits at the start of `text`, stopping at the first character
// that is not a digit; 0 for an empty or non-hexadecimal text. Overflow wraps modulo 2^32.
std::uint32_t parseHex(std::string_view text);

// Writes the file at `path` the way every save of the program writes: into a fresh file beside
// it (never following a planted link), checking every write, syncing, then renaming it over
// `path`. A link at `path` is followed to the file it leads to; a pipe or a device there is
// refused (EINVAL). Returns 0 or the system error code; on failure `path` is left as it was.
// `progress`, when given, hears of the lines written (written, count) every megabyte of text
// and once more before the file takes the name; when it answers false the new file is removed
// and the result is ECANCELED.
int writeDiffFile(const ChangeLog& log, const std::u16string& path, const DiffFileHeader& header,
                  const ProgressReport& progress = {});
int writeDiffFile(const DiffSet& diffs, const std::u16string& path, const DiffFileHeader& header,
                  const ProgressReport& progress = {});

// Collects the data lines of a file's text, in order, into `lines`. A line is cut into pieces
// of at most 254 characters, each taken on its own; carriage returns, line feeds and spaces are
// removed wherever they stand; a piece is accepted when exactly 13 characters remain, the ninth
// is ':' and all are hexadecimal digits or ':'. Everything else is skipped. Returns false (and
// keeps the lines collected so far) only when memory for a line cannot be had.
bool parseDiffText(std::string_view text, std::vector<DiffLine>& lines);

// Reads the file at `path` and appends its accepted data lines to `lines`. Returns 0, or the
// system error code: also when the file cannot be read to its end, is not a regular file, or
// memory for its lines runs out, so a file is never applied in part. `progress`, when given,
// hears of the bytes read (read, file size); when it answers false the reading stops with
// ECANCELED.
int readDiffFile(const std::u16string& path, std::vector<DiffLine>& lines, const ProgressReport& progress = {});

}  // namespace nibblet
