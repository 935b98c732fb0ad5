#pragma once
// The byte-by-byte comparison of the open document with a second file of the same size.

#include <cstdint>

#include "core/diff/diff_set.h"

namespace nibblet {

// Appends a DiffEntry {offset, doc byte, other byte} to `diffs` for every offset below `size`
// at which `doc` and `other` differ, in ascending order, then gives back the spare storage.
// Returns Stored, or the failure of the first entry that could not be stored: the comparison
// stops there, since a list that cannot grow will take no further entry.
AppendResult compareBytes(const std::uint8_t* doc, const std::uint8_t* other, std::uint32_t size,
                          DiffSet& diffs);

}  // namespace nibblet
