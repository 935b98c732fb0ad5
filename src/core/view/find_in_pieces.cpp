#include "core/view/find_in_pieces.h"

#include <cerrno>

#include "core/platform/piece_reader.h"
#include "core/view/find_bytes.h"

namespace nibblet {
namespace {

constexpr std::size_t kReportEvery = 32u << 20;

}  // namespace

int findBytesInPieces(const std::uint8_t* start, std::size_t n, const std::uint8_t* pattern, std::size_t m,
                      const ProgressReport& progress, const std::uint8_t*& hit) {
  PieceReader reader;
  // Each piece holds the starts of `positions` hits and the m - 1 bytes after them, so a hit
  // across two pieces is found in the first, as one scan finds it. A pattern too long for the
  // reader's pieces is searched in place.
  const std::size_t capacity = PieceReader::kDefaultCapacity;
  const std::size_t positions = m < capacity / 2 ? capacity - (m == 0 ? 0 : m - 1) : kReportEvery;
  if (m == 0 || m > n) {
    hit = findBytes(start, n, pattern, m);
    return 0;
  }
  const std::size_t lastStart = n - m;  // the last position a hit can start at
  std::size_t nextReport = kReportEvery;
  for (std::size_t at = 0; at <= lastStart; at += positions) {
    const std::size_t count = lastStart - at + 1 < positions ? lastStart - at + 1 : positions;
    const std::size_t length = count + m - 1;
    const std::uint8_t* bytes = reader.piece(start + at, length);
    if (const std::uint8_t* found = findBytes(bytes, length, pattern, m)) {
      hit = start + at + static_cast<std::size_t>(found - bytes);
      return 0;
    }
    const std::size_t scanned = at + count;
    if (progress && scanned >= nextReport) {
      nextReport = scanned - scanned % kReportEvery + kReportEvery;
      if (!progress(scanned, n)) return ECANCELED;
    }
  }
  hit = nullptr;
  return 0;
}

}  // namespace nibblet
