#pragma once
// Gives a long scan (search, compare) the bytes of a mapped file a piece at a time. The first
// touch of each page of a fresh mapping costs a fault, which makes the first pass over a large
// file several times slower than reading the file; so a piece whose pages are not all mapped in
// yet is read from the file into a reused buffer, and a piece that is already mapped in is used
// where it lies. Both give the same bytes: the mapping is shared, so the file's cached pages are
// the mapping's pages, unsaved edits included.

#include <cstddef>
#include <cstdint>
#include <memory>

namespace nibblet {

class PieceReader {
 public:
  // Pieces are read into a buffer of `capacity` bytes; longer requests are served in place.
  explicit PieceReader(std::size_t capacity = kDefaultCapacity);
  ~PieceReader();
  PieceReader(const PieceReader&) = delete;
  PieceReader& operator=(const PieceReader&) = delete;

  // The bytes of [at, at + n): `at` itself when the range is not part of a registered mapping,
  // when its pages are already mapped in, or when the file cannot give all of them (a file
  // shortened under the mapping: the guarded mapping then answers as it always does); otherwise
  // the reader's buffer holding a copy read from the file. Valid until the next call.
  const std::uint8_t* piece(const std::uint8_t* at, std::size_t n);

  // 256 KiB: a piece of each of two files fits the processor's second-level cache.
  static constexpr std::size_t kDefaultCapacity = 256 * 1024;

  // The mappings the reader knows: MappedFile registers each whole-file mapping (file offset 0)
  // with its descriptor, and forgets it before unmapping.
  static void registerMapping(const void* begin, std::size_t length, int fd);
  static void forgetMapping(const void* begin);

 private:
  bool isMappedIn(const std::uint8_t* at, std::size_t n);

  std::unique_ptr<std::uint8_t[]> m_buffer;
  std::size_t m_capacity = 0;
  int m_pagemap = -1;
  // The last window of pages asked about, and whether all of them were mapped in.
  std::uintptr_t m_windowBegin = 0;
  std::uintptr_t m_windowEnd = 0;
  bool m_windowMappedIn = false;
};

}  // namespace nibblet
