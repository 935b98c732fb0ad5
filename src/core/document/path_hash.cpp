#include "core/document/path_hash.h"

#include <array>

namespace nibblet {
namespace {

constexpr std::uint32_t kPolynomial = 0x04C11DB7;

constexpr std::array<std::uint32_t, 256> makeTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t r = i << 24;
    for (int bit = 0; bit < 8; ++bit) r = (r & 0x80000000u) ? (r << 1) ^ kPolynomial : r << 1;
    table[i] = r;
  }
  return table;
}

constexpr auto kTable = makeTable();

}  // namespace

std::uint32_t pathHash(std::u16string_view path) {
  std::uint32_t r = 0;
  auto step = [&r](std::uint8_t b) { r = kTable[(b ^ (r >> 24)) & 0xFF] ^ (r << 8); };
  for (char16_t c : path) {
    step(static_cast<std::uint8_t>(c & 0xFF));
    step(static_cast<std::uint8_t>(c >> 8));
  }
  return r;
}

}  // namespace nibblet
