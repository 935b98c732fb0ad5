#pragma once
// Contiguous storage that grows without copying what it holds: small sizes live on the heap,
// large ones in pages of their own that the system can move and enlarge in place, so a list of
// millions of entries grows at the cost of writing them once. It never throws: a failed growth
// says so and keeps the content.

#include <cstddef>

namespace nibblet {

class GrowingBuffer {
 public:
  GrowingBuffer() = default;
  ~GrowingBuffer() { release(); }
  GrowingBuffer(const GrowingBuffer&) = delete;
  GrowingBuffer& operator=(const GrowingBuffer&) = delete;

  // Makes room for at least `bytes`, at least doubling the room when it grows, and keeps the
  // content. False when the memory cannot be had; the content and the room stay as they were.
  bool reserve(std::size_t bytes);
  // Gives back the room beyond `bytes` (rounded up to a page for large sizes); keeps the content
  // up to `bytes`.
  void shrinkTo(std::size_t bytes);
  // Frees everything; capacity becomes 0.
  void release();

  void* data() { return m_data; }
  const void* data() const { return m_data; }
  std::size_t capacity() const { return m_capacity; }

 private:
  bool moveTo(std::size_t capacity, std::size_t keep);

  void* m_data = nullptr;
  std::size_t m_capacity = 0;
  bool m_mapped = false;  // the storage is pages of its own, not heap
};

}  // namespace nibblet
