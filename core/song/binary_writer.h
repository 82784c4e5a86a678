#pragma once
// Little-endian writes into a file; the first failure sticks, so a caller can
// write a whole record and check once at the end.
#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>

namespace lf {

class BinaryWriter {
 public:
  explicit BinaryWriter(const std::string& path);

  bool IsOpen() const { return m_file.is_open(); }
  bool Good() const { return m_file.is_open() && m_good; }

  void Write(const void* data, size_t count);
  void WriteInt32(int32_t value);
  void WriteUInt8(uint8_t value) { Write(&value, 1); }
  // Byte count, then the bytes.
  void WriteString(std::string_view text);
  // Flushes and closes; false when any write failed.
  bool Close();

 private:
  std::ofstream m_file;
  bool m_good = true;
};

}  // namespace lf
