#pragma once
// The checksum that names a file's temporary copy: a CRC-32 (polynomial 0x04C11DB7, most
// significant bit first, initial value 0, no final XOR) over the path's UTF-16 little-endian
// bytes without the terminator.

#include <cstdint>
#include <string_view>

namespace nibblet {

std::uint32_t pathHash(std::u16string_view path);

}  // namespace nibblet
