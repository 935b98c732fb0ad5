#include "core/view/find_bytes.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define NIBBLET_X86 1
#endif

namespace nibblet {
namespace {

// Every scan below looks for the positions where two bytes of the pattern both match: the first
// one, and the last one that differs from it (so runs of equal bytes, as in 00 00 00 01, still
// filter well). Only those candidates are compared in full.
struct Filter {
  const std::uint8_t* pattern;
  std::size_t m;
  std::size_t k;  // index of the second filter byte, 1 <= k < m
};

Filter makeFilter(const std::uint8_t* pattern, std::size_t m) {
  std::size_t k = m - 1;
  while (k > 1 && pattern[k] == pattern[0]) --k;
  if (pattern[k] == pattern[0]) k = m - 1;  // every byte is the same: any index filters alike
  return {pattern, m, k};
}

bool matchesAt(const std::uint8_t* at, const Filter& f) {
  return std::memcmp(at + 1, f.pattern + 1, f.m - 1) == 0;
}

// Candidate positions [from, last] by memchr on the first byte; the portable path and the tail
// of the vector scans.
const std::uint8_t* scanPlain(const std::uint8_t* from, const std::uint8_t* last, const Filter& f) {
  const std::uint8_t first = f.pattern[0], second = f.pattern[f.k];
  while (from <= last) {
    auto* p = static_cast<const std::uint8_t*>(std::memchr(from, first, static_cast<std::size_t>(last - from) + 1));
    if (!p) return nullptr;
    if (p[f.k] == second && matchesAt(p, f)) return p;
    from = p + 1;
  }
  return nullptr;
}

#ifdef NIBBLET_X86

// Checks the candidates of one block in ascending order; `mask` has bit j set for position at + j.
template <typename Mask>
const std::uint8_t* verify(const std::uint8_t* at, Mask mask, const Filter& f) {
  while (mask) {
    unsigned j = static_cast<unsigned>(__builtin_ctzll(static_cast<unsigned long long>(mask)));
    if (matchesAt(at + j, f)) return at + j;
    mask &= mask - 1;
  }
  return nullptr;
}

// 16 candidate positions per step; every load stays below last + m.
const std::uint8_t* scanSse2(const std::uint8_t* from, const std::uint8_t* last, const Filter& f) {
  const __m128i first = _mm_set1_epi8(static_cast<char>(f.pattern[0]));
  const __m128i second = _mm_set1_epi8(static_cast<char>(f.pattern[f.k]));
  for (; last - from >= 31; from += 32) {
    auto* p = reinterpret_cast<const __m128i*>(from);
    auto* q = reinterpret_cast<const __m128i*>(from + f.k);
    __m128i a0 = _mm_and_si128(_mm_cmpeq_epi8(_mm_loadu_si128(p), first), _mm_cmpeq_epi8(_mm_loadu_si128(q), second));
    __m128i a1 = _mm_and_si128(_mm_cmpeq_epi8(_mm_loadu_si128(p + 1), first),
                               _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(from + f.k + 16)), second));
    unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(a0)) |
                    (static_cast<unsigned>(_mm_movemask_epi8(a1)) << 16);
    if (mask)
      if (const std::uint8_t* hit = verify(from, mask, f)) return hit;
  }
  return scanPlain(from, last, f);
}

// 64 candidate positions per step.
__attribute__((target("avx2"))) const std::uint8_t* scanAvx2(const std::uint8_t* from, const std::uint8_t* last,
                                                              const Filter& f) {
  const __m256i first = _mm256_set1_epi8(static_cast<char>(f.pattern[0]));
  const __m256i second = _mm256_set1_epi8(static_cast<char>(f.pattern[f.k]));
  for (; last - from >= 63; from += 64) {
    auto* p = reinterpret_cast<const __m256i*>(from);
    auto* q = reinterpret_cast<const __m256i*>(from + f.k);
    __m256i a0 = _mm256_and_si256(_mm256_cmpeq_epi8(_mm256_loadu_si256(p), first),
                                  _mm256_cmpeq_epi8(_mm256_loadu_si256(q), second));
    __m256i a1 = _mm256_and_si256(_mm256_cmpeq_epi8(_mm256_loadu_si256(p + 1), first),
                                  _mm256_cmpeq_epi8(_mm256_loadu_si256(q + 1), second));
    if (_mm256_testz_si256(_mm256_or_si256(a0, a1), _mm256_or_si256(a0, a1))) continue;
    unsigned long long mask = static_cast<unsigned>(_mm256_movemask_epi8(a0)) |
                              (static_cast<unsigned long long>(static_cast<unsigned>(_mm256_movemask_epi8(a1))) << 32);
    if (const std::uint8_t* hit = verify(from, mask, f)) return hit;
  }
  _mm256_zeroupper();
  return scanSse2(from, last, f);
}

bool hasAvx2() {
  static const bool avx2 = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return avx2;
}

#endif

}  // namespace

const std::uint8_t* findBytes(const std::uint8_t* start, std::size_t n, const std::uint8_t* pattern,
                              std::size_t m) {
  if (m == 0) return start;
  if (m > n) return nullptr;
  if (m == 1) return static_cast<const std::uint8_t*>(std::memchr(start, pattern[0], n));
  const Filter f = makeFilter(pattern, m);
  const std::uint8_t* last = start + (n - m);  // the last position a hit can start at
#ifdef NIBBLET_X86
  return hasAvx2() ? scanAvx2(start, last, f) : scanSse2(start, last, f);
#else
  return scanPlain(start, last, f);
#endif
}

}  // namespace nibblet
