#pragma once
// The byte-by-byte comparison of the open document with a second file of the same size.

#include <cstdint>
#include <functional>

#include "core/diff/diff_set.h"
#include "core/platform/wait_cursor.h"

namespace nibblet {

// Appends a DiffEntry {offset, doc byte, other byte} to `diffs` for every offset below `size`
// at which `doc` and `other` differ, in ascending order, then gives back the spare storage.
// Differences are stored a block of 16 KiB at a time. Returns Stored, or the failure of the
// first block whose differences could not be stored: that block is left out and the comparison
// stops there, since a list that cannot grow will take no further entry.
// `progress`, when given, hears of every megabyte compared (compared, size); when it answers
// false the comparison stops there, with the differences found so far in `diffs`.
AppendResult compareBytes(const std::uint8_t* doc, const std::uint8_t* other, std::uint32_t size,
                          DiffSet& diffs, const ProgressReport& progress = {});

}  // namespace nibblet
