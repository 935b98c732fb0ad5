#pragma once
// The byte-by-byte comparison of the open document with a second file of the same size.

#include <cstdint>

#include "core/diff/diff_set.h"
#include "core/platform/wait_cursor.h"

namespace nibblet {

// Appends a DiffEntry {offset, doc byte, other byte} to `diffs` for every offset below `size`
// at which `doc` and `other` differ, in ascending order, then gives back the spare storage.
// `stored` becomes Stored, or the failure of the first block whose differences could not be
// stored: that block is left out and the comparison stops there, since a list that cannot grow
// will take no further entry. Pages of a fresh mapping are read from their files (PieceReader).
// `progress`, when given, hears of every megabyte compared (compared, size); when it returns
// false the comparison stops, `diffs` is put back as it was and the result is ECANCELED.
// Otherwise the result is 0.
int compareBytes(const std::uint8_t* doc, const std::uint8_t* other, std::uint32_t size, DiffSet& diffs,
                 AppendResult& stored, const ProgressReport& progress = {});

}  // namespace nibblet
