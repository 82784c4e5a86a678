#include "core/song/binary_writer.h"

#include <limits>

#include "core/song/binary_reader.h"

namespace lf {

BinaryWriter::BinaryWriter(const std::string& path) : m_file(path, std::ios::binary | std::ios::trunc) {}

void BinaryWriter::Write(const void* data, size_t count) {
  if (!m_good || count == 0) return;
  if (!m_file.write(static_cast<const char*>(data), static_cast<std::streamsize>(count))) m_good = false;
}

void BinaryWriter::WriteInt32(int32_t value) {
  uint8_t bytes[4];
  StoreInt32(bytes, value);
  Write(bytes, 4);
}

void BinaryWriter::WriteString(std::string_view text) {
  // A count must fit the 32-bit field; longer text cannot be stored faithfully.
  if (text.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
    m_good = false;
    return;
  }
  WriteInt32(static_cast<int32_t>(text.size()));
  Write(text.data(), text.size());
}

bool BinaryWriter::Close() {
  if (!m_file.is_open()) return false;
  m_file.flush();
  if (!m_file) m_good = false;
  m_file.close();
  if (m_file.fail()) m_good = false;
  return m_good;
}

}  // namespace lf
