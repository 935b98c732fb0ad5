#include "core/diff/compare.h"

#include <bit>
#include <cerrno>
#include <cstring>

#include "core/platform/piece_reader.h"

namespace nibblet {
namespace {

// Equal blocks are skipped with memcmp; only a block that differs is walked, a word at a time,
// its differences written straight into the set's room.
constexpr std::uint32_t kBlock = 16 * 1024;
constexpr std::uint32_t kPiece = static_cast<std::uint32_t>(PieceReader::kDefaultCapacity);
// Compared between two reports: a few milliseconds of work even where every byte differs, so a
// tap on Cancel is heard soon.
constexpr std::uint32_t kReportEvery = 1u << 20;

// The differences of doc[0, n) and other[0, n), whose first byte is document offset `base`,
// written to `out`; returns how many.
std::size_t scanBlock(const std::uint8_t* doc, const std::uint8_t* other, std::uint32_t n, std::uint32_t base,
                      DiffEntry* out) {
  DiffEntry* p = out;
  std::uint32_t i = 0;
  if constexpr (std::endian::native == std::endian::little) {
    for (; n - i >= 8; i += 8) {
      std::uint64_t a, b;
      std::memcpy(&a, doc + i, 8);
      std::memcpy(&b, other + i, 8);
      const std::uint64_t d = a ^ b;
      if (d == 0) continue;
      // The top bit of each byte of `mask` is set when that byte differs.
      constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
      std::uint64_t mask = (((d & kLow7) + kLow7) | d) & ~kLow7;
      for (; mask != 0; mask &= mask - 1) {
        std::uint32_t at = i + static_cast<std::uint32_t>(std::countr_zero(mask) / 8);
        *p++ = {base + at, doc[at], other[at]};
      }
    }
  }
  for (; i < n; ++i)
    if (doc[i] != other[i]) *p++ = {base + i, doc[i], other[i]};
  return static_cast<std::size_t>(p - out);
}

}  // namespace

int compareBytes(const std::uint8_t* doc, const std::uint8_t* other, std::uint32_t size, DiffSet& diffs,
                 AppendResult& stored, const ProgressReport& progress) {
  stored = AppendResult::Stored;
  const std::uint32_t before = diffs.count();
  PieceReader docReader, otherReader;
  std::uint32_t reported = 0;
  for (std::uint32_t begin = 0; begin < size && stored == AppendResult::Stored;) {
    const std::uint32_t n = size - begin < kPiece ? size - begin : kPiece;
    const std::uint8_t* a = docReader.piece(doc + begin, n);
    const std::uint8_t* b = otherReader.piece(other + begin, n);
    for (std::uint32_t at = 0; at < n;) {
      const std::uint32_t length = n - at < kBlock ? n - at : kBlock;
      if (std::memcmp(a + at, b + at, length) != 0) {
        DiffEntry* room = diffs.room(length, stored);
        if (!room) break;
        diffs.commit(scanBlock(a + at, b + at, length, begin + at, room));
      }
      at += length;
    }
    begin += n;
    if (progress && begin - reported >= kReportEvery) {
      reported = begin;
      if (!progress(begin, size)) {
        diffs.truncate(before);
        diffs.releaseSpare();
        return ECANCELED;
      }
    }
  }
  diffs.releaseSpare();
  return 0;
}

}  // namespace nibblet
