#include "core/view/find_bytes.h"

#include <string.h>

#include <algorithm>
#include <cstring>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define NIBBLET_X86 1
#endif

namespace nibblet {
namespace {

// The scan looks for the positions where two or three bytes of the pattern all match: the first
// one, the last one that differs from it (so runs of equal bytes, as in 00 00 00 01, still filter
// well) and, once candidates turn out to fail often, the byte at which they failed most. Only
// those candidates are compared in full.
//
// Some inputs defeat any fixed choice of bytes (a pattern of 00 01 00 01 ... that ends
// differently, in a file of 00 01 repeated). The work spent on failed candidates is therefore
// counted per block: when it passes a share of the block, the scan learns a third byte, and when
// that does not help either, the rest of the block goes to memmem, whose worst case is linear.
// The next block tries the filter again on a short probe first.
struct Filter {
  const std::uint8_t* pattern;
  std::size_t m;
  std::size_t k;      // index of the second filter byte, 1 <= k < m
  std::size_t third;  // index of the third filter byte, or 0 for none
};

Filter makeFilter(const std::uint8_t* pattern, std::size_t m) {
  std::size_t k = m - 1;
  while (k > 1 && pattern[k] == pattern[0]) --k;
  if (pattern[k] == pattern[0]) k = m - 1;  // every byte is the same: any index filters alike
  return {pattern, m, k, 0};
}

// Positions per block, and per probe after a block that defeated the filter.
constexpr std::size_t kBlock = 256 * 1024;
constexpr std::size_t kProbe = 4096;
// The work on failed candidates, counted as bytes compared plus kCandidateCost for each, may
// reach kWorkPerPosition per position scanned: about what memmem spends on inputs it finds hard.
constexpr std::size_t kWorkPerPosition = 2;
constexpr std::size_t kCandidateCost = 8;

// Verification with a work account: bytes looked at on failed candidates, and at which pattern
// index each failed, so a better third filter byte can be chosen.
class Verifier {
 public:
  explicit Verifier(const Filter& f) : m_f(f) {}

  // True when the whole pattern matches at `at`.
  bool matches(const std::uint8_t* at) {
    std::size_t j = mismatch(at);
    if (j == m_f.m) return true;
    m_spent += j + kCandidateCost;
    if (m_failedAt.size() < kSamples) m_failedAt.push_back(j);
    return false;
  }
  bool overBudget() const { return m_spent > m_budget; }
  // A fresh account: `budget` units of work on failed candidates, no failures seen.
  void setBudget(std::size_t budget) {
    m_budget = budget;
    m_spent = 0;
    m_failedAt.clear();
  }
  // The index at which the failed candidates since setBudget failed most often, other than the
  // first two filter bytes; 0 when there is none.
  std::size_t commonFailure() const {
    std::vector<std::size_t> sorted = m_failedAt;
    std::sort(sorted.begin(), sorted.end());
    std::size_t best = 0, bestCount = 0;
    for (std::size_t i = 0; i < sorted.size();) {
      std::size_t j = i;
      while (j < sorted.size() && sorted[j] == sorted[i]) ++j;
      if (j - i > bestCount && sorted[i] != 0 && sorted[i] != m_f.k) {
        best = sorted[i];
        bestCount = j - i;
      }
      i = j;
    }
    return best;
  }

 private:
  static constexpr std::size_t kSamples = 256;

  // The first index at which the pattern differs from the bytes at `at`, or m; eight bytes at a
  // time, so a long near miss costs little more than memcmp.
  std::size_t mismatch(const std::uint8_t* at) const {
    std::size_t j = 0;
    for (; m_f.m - j >= 8; j += 8) {
      std::uint64_t a, b;
      std::memcpy(&a, at + j, 8);
      std::memcpy(&b, m_f.pattern + j, 8);
      if (a != b) break;
    }
    while (j < m_f.m && at[j] == m_f.pattern[j]) ++j;
    return j;
  }

  const Filter& m_f;
  std::size_t m_budget = 0;
  std::size_t m_spent = 0;
  std::vector<std::size_t> m_failedAt;
};

// What a block scan ended with: a hit, or the position it stopped at because its work ran over
// the budget (null when it reached the end of the block without a hit).
struct Scanned {
  const std::uint8_t* hit = nullptr;
  const std::uint8_t* stoppedAt = nullptr;
};

// Candidate positions [from, last] by memchr on the first byte; the portable path and the tail
// of the vector scans.
Scanned scanPlain(const std::uint8_t* from, const std::uint8_t* last, const Filter& f, Verifier& v) {
  const std::uint8_t first = f.pattern[0], second = f.pattern[f.k], third = f.pattern[f.third];
  while (from <= last) {
    auto* p = static_cast<const std::uint8_t*>(std::memchr(from, first, static_cast<std::size_t>(last - from) + 1));
    if (!p) return {};
    if (p[f.k] == second && p[f.third] == third) {
      if (v.matches(p)) return {p, nullptr};
      if (v.overBudget()) return {nullptr, p + 1};
    }
    from = p + 1;
  }
  return {};
}

#ifdef NIBBLET_X86

// Checks the candidates of one step in ascending order; `mask` has bit j set for position at + j.
template <typename Mask>
Scanned verify(const std::uint8_t* at, Mask mask, Verifier& v) {
  while (mask) {
    unsigned j = static_cast<unsigned>(__builtin_ctzll(static_cast<unsigned long long>(mask)));
    if (v.matches(at + j)) return {at + j, nullptr};
    if (v.overBudget()) return {nullptr, at + j + 1};
    mask &= mask - 1;
  }
  return {};
}

// 32 candidate positions per step; every load stays below last + m.
Scanned scanSse2(const std::uint8_t* from, const std::uint8_t* last, const Filter& f, Verifier& v) {
  const __m128i first = _mm_set1_epi8(static_cast<char>(f.pattern[0]));
  const __m128i second = _mm_set1_epi8(static_cast<char>(f.pattern[f.k]));
  const __m128i third = _mm_set1_epi8(static_cast<char>(f.pattern[f.third]));
  auto load = [](const std::uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };
  for (; last - from >= 31; from += 32) {
    __m128i a0 = _mm_and_si128(_mm_cmpeq_epi8(load(from), first), _mm_cmpeq_epi8(load(from + f.k), second));
    __m128i a1 = _mm_and_si128(_mm_cmpeq_epi8(load(from + 16), first), _mm_cmpeq_epi8(load(from + f.k + 16), second));
    if (f.third != 0) {
      a0 = _mm_and_si128(a0, _mm_cmpeq_epi8(load(from + f.third), third));
      a1 = _mm_and_si128(a1, _mm_cmpeq_epi8(load(from + f.third + 16), third));
    }
    unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(a0)) |
                    (static_cast<unsigned>(_mm_movemask_epi8(a1)) << 16);
    if (mask) {
      Scanned s = verify(from, mask, v);
      if (s.hit || s.stoppedAt) return s;
    }
  }
  return scanPlain(from, last, f, v);
}

// 64 candidate positions per step.
__attribute__((target("avx2"))) Scanned scanAvx2(const std::uint8_t* from, const std::uint8_t* last,
                                                  const Filter& f, Verifier& v) {
  const __m256i first = _mm256_set1_epi8(static_cast<char>(f.pattern[0]));
  const __m256i second = _mm256_set1_epi8(static_cast<char>(f.pattern[f.k]));
  const __m256i third = _mm256_set1_epi8(static_cast<char>(f.pattern[f.third]));
#define load(p) _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p))
  Scanned result;
  for (; last - from >= 63; from += 64) {
    __m256i a0 = _mm256_and_si256(_mm256_cmpeq_epi8(load(from), first), _mm256_cmpeq_epi8(load(from + f.k), second));
    __m256i a1 = _mm256_and_si256(_mm256_cmpeq_epi8(load(from + 32), first),
                                  _mm256_cmpeq_epi8(load(from + f.k + 32), second));
    if (f.third != 0) {
      a0 = _mm256_and_si256(a0, _mm256_cmpeq_epi8(load(from + f.third), third));
      a1 = _mm256_and_si256(a1, _mm256_cmpeq_epi8(load(from + f.third + 32), third));
    }
    __m256i any = _mm256_or_si256(a0, a1);
    if (_mm256_testz_si256(any, any)) continue;
    unsigned long long mask = static_cast<unsigned>(_mm256_movemask_epi8(a0)) |
                              (static_cast<unsigned long long>(static_cast<unsigned>(_mm256_movemask_epi8(a1))) << 32);
    result = verify(from, mask, v);
    if (result.hit || result.stoppedAt) break;
  }
#undef load
  _mm256_zeroupper();
  if (result.hit || result.stoppedAt) return result;
  return scanSse2(from, last, f, v);
}

bool hasAvx2() {
  static const bool avx2 = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return avx2;
}

#endif

Scanned scanFiltered(const std::uint8_t* from, const std::uint8_t* last, const Filter& f, Verifier& v) {
#ifdef NIBBLET_X86
  return hasAvx2() ? scanAvx2(from, last, f, v) : scanSse2(from, last, f, v);
#else
  return scanPlain(from, last, f, v);
#endif
}

// The first hit in [from, blockLast] (positions). A block starts with the filter, on a short
// probe when the block before defeated it; when the filter's work runs over its budget, the scan
// learns a third filter byte once, and after that hands the rest of the block to memmem,
// together with the `extra` positions after it (set to how many it covered).
const std::uint8_t* scanBlock(const std::uint8_t* from, const std::uint8_t* blockLast, Filter& f, Verifier& v,
                              bool& filterFailed, std::size_t& extra) {
  const std::uint8_t* at = from;
  const std::uint8_t* stop =
      filterFailed && static_cast<std::size_t>(blockLast - from) >= kProbe ? from + (kProbe - 1) : blockLast;
  bool learned = false;
  for (;;) {
    v.setBudget(static_cast<std::size_t>(stop - at + 1) * kWorkPerPosition + 64);
    Scanned s = scanFiltered(at, stop, f, v);
    if (s.hit) return s.hit;
    if (!s.stoppedAt) {
      if (stop == blockLast) {
        filterFailed = false;
        extra = 0;
        return nullptr;
      }
      at = stop + 1;  // the probe went well: the rest of the block with the filter
      stop = blockLast;
      continue;
    }
    std::size_t failure = v.commonFailure();
    if (!learned && failure != 0 && failure != f.third) {
      learned = true;
      f.third = failure;
      at = s.stoppedAt;
      continue;
    }
    filterFailed = true;
    const std::size_t length = static_cast<std::size_t>(blockLast - s.stoppedAt) + extra + f.m;
    return static_cast<const std::uint8_t*>(::memmem(s.stoppedAt, length, f.pattern, f.m));
  }
}

}  // namespace

const std::uint8_t* findBytes(const std::uint8_t* start, std::size_t n, const std::uint8_t* pattern,
                              std::size_t m) {
  if (m == 0) return start;
  if (m > n) return nullptr;
  if (m == 1) return static_cast<const std::uint8_t*>(std::memchr(start, pattern[0], n));
  Filter f = makeFilter(pattern, m);
  Verifier v(f);
  const std::uint8_t* last = start + (n - m);  // the last position a hit can start at
  bool filterFailed = false;
  // While blocks keep defeating the filter, memmem takes ever longer stretches after each probe
  // (up to kMaxStretch blocks), so the probes cost next to nothing beside it.
  constexpr std::size_t kMaxStretch = 32;
  std::size_t stretch = 1;
  for (const std::uint8_t* from = start;;) {
    const std::uint8_t* blockLast = static_cast<std::size_t>(last - from) < kBlock ? last : from + (kBlock - 1);
    const std::size_t after = static_cast<std::size_t>(last - blockLast);
    std::size_t extra = filterFailed ? std::min(after, (stretch - 1) * kBlock) : 0;
    if (const std::uint8_t* hit = scanBlock(from, blockLast, f, v, filterFailed, extra)) return hit;
    if (filterFailed) {
      stretch = std::min(stretch * 2, kMaxStretch);
    } else {
      stretch = 1;
      extra = 0;
    }
    if (blockLast + extra == last) return nullptr;
    from = blockLast + extra + 1;
  }
}

}  // namespace nibblet
