#include "core/diff/compare.h"

#include <bit>
#include <cstring>

namespace nibblet {
namespace {

// Equal blocks are skipped with memcmp; only a block that differs is walked, a word at a time.
constexpr std::uint32_t kBlock = 16 * 1024;

AppendResult scanBlock(const std::uint8_t* doc, const std::uint8_t* other, std::uint32_t begin,
                       std::uint32_t end, DiffSet& diffs) {
  std::uint32_t i = begin;
  if constexpr (std::endian::native == std::endian::little) {
    for (; end - i >= 8; i += 8) {
      std::uint64_t a, b;
      std::memcpy(&a, doc + i, 8);
      std::memcpy(&b, other + i, 8);
      for (std::uint64_t d = a ^ b; d != 0;) {
        int byte = std::countr_zero(d) / 8;
        std::uint32_t at = i + static_cast<std::uint32_t>(byte);
        AppendResult r = diffs.append({at, doc[at], other[at]});
        if (r != AppendResult::Stored) return r;
        d &= ~(std::uint64_t{0xFF} << (byte * 8));
      }
    }
  }
  for (; i < end; ++i) {
    if (doc[i] == other[i]) continue;
    AppendResult r = diffs.append({i, doc[i], other[i]});
    if (r != AppendResult::Stored) return r;
  }
  return AppendResult::Stored;
}

}  // namespace

AppendResult compareBytes(const std::uint8_t* doc, const std::uint8_t* other, std::uint32_t size,
                          DiffSet& diffs) {
  AppendResult result = AppendResult::Stored;
  for (std::uint32_t begin = 0; begin < size && result == AppendResult::Stored;) {
    std::uint32_t n = size - begin < kBlock ? size - begin : kBlock;
    if (std::memcmp(doc + begin, other + begin, n) != 0) result = scanBlock(doc, other, begin, begin + n, diffs);
    begin += n;
  }
  diffs.releaseSpare();
  return result;
}

}  // namespace nibblet
