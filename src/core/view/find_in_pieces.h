#pragma once
// The search's scan over a document: findBytes a piece at a time, reading pieces of a fresh
// mapping from the file (see PieceReader), reporting its progress and stopping when asked to.

#include <cstddef>
#include <cstdint>

#include "core/platform/wait_cursor.h"

namespace nibblet {

// Finds the first hit of the m bytes of `pattern` in [start, start + n), exactly as findBytes
// does, and sets `hit` to it (null when there is none). `progress`, when given, hears of every
// 32 MiB scanned (scanned, n); when it returns false the scan stops, `hit` is left unchanged and
// the result is ECANCELED. Otherwise the result is 0.
int findBytesInPieces(const std::uint8_t* start, std::size_t n, const std::uint8_t* pattern, std::size_t m,
                      const ProgressReport& progress, const std::uint8_t*& hit);

}  // namespace nibblet
