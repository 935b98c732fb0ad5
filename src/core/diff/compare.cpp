#include "core/diff/compare.h"

#include <bit>
#include <cstring>
#include <memory>
#include <new>

namespace nibblet {
namespace {

// Equal blocks are skipped with memcmp; only a block that differs is walked, a word at a time.
constexpr std::uint32_t kBlock = 16 * 1024;
// Compared between two reports: a few milliseconds of work even where every byte differs.
constexpr std::uint32_t kReportEvery = 1u << 20;

// The differences of one block, gathered and handed to the set in one append. A block of
// kBlock bytes has at most kBlock differences.
class BlockScan {
 public:
  AppendResult scan(const std::uint8_t* doc, const std::uint8_t* other, std::uint32_t begin, std::uint32_t end,
                    DiffSet& diffs) {
    std::size_t n = 0;
    std::uint32_t i = begin;
    if constexpr (std::endian::native == std::endian::little) {
      for (; end - i >= 8; i += 8) {
        std::uint64_t a, b;
        std::memcpy(&a, doc + i, 8);
        std::memcpy(&b, other + i, 8);
        for (std::uint64_t d = a ^ b; d != 0;) {
          int byte = std::countr_zero(d) / 8;
          std::uint32_t at = i + static_cast<std::uint32_t>(byte);
          m_found[n++] = {at, doc[at], other[at]};
          d &= ~(std::uint64_t{0xFF} << (byte * 8));
        }
      }
    }
    for (; i < end; ++i)
      if (doc[i] != other[i]) m_found[n++] = {i, doc[i], other[i]};
    return n == 0 ? AppendResult::Stored : diffs.append(m_found, n);
  }

 private:
  DiffEntry m_found[kBlock];
};

}  // namespace

AppendResult compareBytes(const std::uint8_t* doc, const std::uint8_t* other, std::uint32_t size,
                          DiffSet& diffs, const ProgressReport& progress) {
  AppendResult result = AppendResult::Stored;
  std::unique_ptr<BlockScan> block;
  for (std::uint32_t begin = 0; begin < size && result == AppendResult::Stored;) {
    std::uint32_t n = size - begin < kBlock ? size - begin : kBlock;
    if (std::memcmp(doc + begin, other + begin, n) != 0) {
      if (!block) block.reset(new (std::nothrow) BlockScan);
      result = block ? block->scan(doc, other, begin, begin + n, diffs)
                     : (diffs.count() == 0 ? AppendResult::AllocError : AppendResult::ReallocError);
    }
    begin += n;
    if (progress && (begin & (kReportEvery - 1)) == 0 && !progress(begin, size)) break;
  }
  diffs.releaseSpare();
  return result;
}

}  // namespace nibblet
