#pragma once
// A byte buffer that starts zeroed and grows or shrinks keeping its bytes.
// Large blocks come from calloc and realloc, which map fresh zero pages and
// move pages instead of copying them, so growing a large buffer never holds
// the old and the new one at once and untouched zeros cost no memory.
#include <cstddef>
#include <cstdint>

namespace lf {

class ZeroedBuffer {
 public:
  ZeroedBuffer() = default;
  ~ZeroedBuffer();
  ZeroedBuffer(const ZeroedBuffer&) = delete;
  ZeroedBuffer& operator=(const ZeroedBuffer&) = delete;

  // A zeroed buffer of `size` bytes in place of the old one; false (and empty) when out of memory.
  bool Assign(std::size_t size);
  // Keeps the first bytes, zeroes what grows; false (and unchanged) when out of memory.
  bool Resize(std::size_t size);
  void Clear();

  uint8_t* Data() { return m_data; }
  const uint8_t* Data() const { return m_data; }
  std::size_t Size() const { return m_size; }
  bool Empty() const { return m_size == 0; }

 private:
  uint8_t* m_data = nullptr;
  std::size_t m_size = 0;
};

}  // namespace lf
