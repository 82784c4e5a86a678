#include "core/export/cdg_file.h"

#include <algorithm>
#include <cstdio>

#include "core/cdg/cdg_packet.h"

namespace lf {

int64_t CdgBytesToWrite(int64_t bufferSize, int64_t durationMs) {
  if (bufferSize <= 0) return 0;
  if (durationMs <= 0) return bufferSize;
  // 7.2 bytes a millisecond, down to the last whole packet: a packet cut short
  // is a corrupt packet to readers.
  const int64_t audioBytes = durationMs * kStreamBytesPerSecond / 1000 / kPacketSize * kPacketSize;
  return std::min(bufferSize, audioBytes);
}

bool WriteCdgFile(const std::string& path, const uint8_t* stream, int64_t bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = bytes <= 0 || (stream && std::fwrite(stream, 1, size_t(bytes), f) == size_t(bytes));
  if (std::fclose(f) != 0) ok = false;
  return ok;
}

}  // namespace lf
