#pragma once
// The Size and Date texts of the browser's entries.

#include <cstdint>
#include <string>

namespace nibblet {

// "%d" below 10000 bytes, "%dKB" below a million, "%d,%03dKB" below 100 million, else "%dMB";
// the units are decimal and every division truncates. The whole 64-bit size is used, so a file
// of several gigabytes shows its real size.
std::u16string sizeText(std::uint64_t size);

// The time (seconds since 1970, UTC) in local time as "YYYY-MM-DD hh:mm:ss"; empty when the
// time cannot be converted.
std::u16string dateText(std::int64_t seconds);

}  // namespace nibblet
