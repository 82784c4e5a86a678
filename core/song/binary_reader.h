#pragma once
// Little-endian reads from a file of known size. Every read says whether the
// file still held the bytes; counts read from the file can be checked against
// Remaining() before anything is allocated for them.
#include <cstdint>
#include <fstream>
#include <string>

namespace lf {

class BinaryReader {
 public:
  explicit BinaryReader(const std::string& path);

  bool IsOpen() const { return m_file.is_open(); }
  uint64_t Size() const { return m_size; }
  uint64_t Position() const { return m_position; }
  uint64_t Remaining() const { return m_size - m_position; }

  // Each returns false, reading nothing, when fewer bytes remain than asked.
  bool Read(void* out, uint64_t count);
  bool Skip(uint64_t count);
  bool ReadInt32(int32_t& out);
  bool ReadUInt32(uint32_t& out);
  bool ReadUInt8(uint8_t& out);
  // A 32-bit byte count and that many bytes; a count below 1 gives "".
  bool ReadString(std::string& out);

 private:
  std::ifstream m_file;
  uint64_t m_size = 0;
  uint64_t m_position = 0;
};

// Little-endian fields from a byte block.
inline int32_t LoadInt32(const uint8_t* p) {
  return static_cast<int32_t>(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}
inline void StoreInt32(uint8_t* p, int32_t value) {
  const auto v = static_cast<uint32_t>(value);
  p[0] = uint8_t(v), p[1] = uint8_t(v >> 8), p[2] = uint8_t(v >> 16), p[3] = uint8_t(v >> 24);
}

}  // namespace lf
