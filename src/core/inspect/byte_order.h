#pragma once
// Reading and writing unsigned values of 1 to 8 bytes in little- or big-endian order.

#include <cstddef>
#include <cstdint>

namespace nibblet {

enum class ByteOrder { Little, Big };

// The value of the `width` bytes at `bytes` (1 to 8).
inline std::uint64_t readUnsigned(const std::uint8_t* bytes, std::size_t width, ByteOrder order) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < width; ++i) {
    const std::size_t at = order == ByteOrder::Little ? width - 1 - i : i;
    value = value << 8 | bytes[at];
  }
  return value;
}

// Writes the low `width` bytes of `value` to `out` (1 to 8).
inline void writeUnsigned(std::uint64_t value, std::size_t width, ByteOrder order, std::uint8_t* out) {
  for (std::size_t i = 0; i < width; ++i) {
    const std::size_t at = order == ByteOrder::Little ? i : width - 1 - i;
    out[at] = static_cast<std::uint8_t>(value >> (8 * i));
  }
}

}  // namespace nibblet
