#pragma once
// The byte-pattern scan behind Search and Search next.

#include <cstddef>
#include <cstdint>

namespace nibblet {

// The first position i (0 <= i, i + m <= n) at which the m bytes of `pattern` equal the bytes at
// start + i, as a plain left-to-right scan finds it; null when there is none. An empty pattern
// matches at `start`; a pattern longer than the range never matches. Only the bytes of
// [start, start + n) are read, so the range may end at the last byte of a mapping.
const std::uint8_t* findBytes(const std::uint8_t* start, std::size_t n, const std::uint8_t* pattern,
                              std::size_t m);

}  // namespace nibblet
