#pragma once
// The CRC-32 of zip, gzip and PNG (reflected polynomial 0xEDB88320, starting from and finished
// with all bits set).

#include <cstddef>
#include <cstdint>

namespace nibblet {

std::uint32_t crc32(const std::uint8_t* bytes, std::size_t count);

}  // namespace nibblet
