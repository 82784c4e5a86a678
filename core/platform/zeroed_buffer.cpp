#include "core/platform/zeroed_buffer.h"

#include <cstdlib>
#include <cstring>

namespace lf {

ZeroedBuffer::~ZeroedBuffer() { std::free(m_data); }

void ZeroedBuffer::Clear() {
  std::free(m_data);
  m_data = nullptr;
  m_size = 0;
}

bool ZeroedBuffer::Assign(std::size_t size) {
  Clear();
  if (size == 0) return true;
  m_data = static_cast<uint8_t*>(std::calloc(size, 1));
  if (!m_data) return false;
  m_size = size;
  return true;
}

bool ZeroedBuffer::Resize(std::size_t size) {
  if (size == 0 || !m_data) return Assign(size);
  void* grown = std::realloc(m_data, size);
  if (!grown) return false;
  m_data = static_cast<uint8_t*>(grown);
  if (size > m_size) std::memset(m_data + m_size, 0, size - m_size);
  m_size = size;
  return true;
}

}  // namespace lf
