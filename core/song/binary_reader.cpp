#include "core/song/binary_reader.h"

#include <filesystem>
#include <system_error>

namespace lf {

BinaryReader::BinaryReader(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return;
  const auto size = std::filesystem::file_size(path, ec);
  if (ec) return;
  m_file.open(path, std::ios::binary);
  if (m_file.is_open()) m_size = size;
}

bool BinaryReader::Read(void* out, uint64_t count) {
  if (count > Remaining()) return false;
  if (count == 0) return true;
  if (!m_file.read(static_cast<char*>(out), static_cast<std::streamsize>(count))) {
    m_position = m_size;  // the file shrank under us: nothing more can be read
    return false;
  }
  m_position += count;
  return true;
}

bool BinaryReader::Skip(uint64_t count) {
  if (count > Remaining()) return false;
  if (!m_file.seekg(static_cast<std::streamoff>(count), std::ios::cur)) return false;
  m_position += count;
  return true;
}

bool BinaryReader::ReadInt32(int32_t& out) {
  uint8_t bytes[4];
  if (!Read(bytes, 4)) return false;
  out = LoadInt32(bytes);
  return true;
}

bool BinaryReader::ReadUInt32(uint32_t& out) {
  int32_t v;
  if (!ReadInt32(v)) return false;
  out = static_cast<uint32_t>(v);
  return true;
}

bool BinaryReader::ReadUInt8(uint8_t& out) { return Read(&out, 1); }

bool BinaryReader::ReadString(std::string& out) {
  int32_t count;
  if (!ReadInt32(count)) return false;
  out.clear();
  if (count < 1) return true;
  if (static_cast<uint64_t>(count) > Remaining()) return false;
  out.resize(static_cast<size_t>(count));
  return Read(out.data(), out.size());
}

}  // namespace lf
