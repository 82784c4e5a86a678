#include "engine/cdg/cdg_stream_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "engine/cdg/cdg_packet.h"

namespace lf {

namespace {

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

CdgReadResult Fail(CdgFileError error, std::string message) { return CdgReadResult{error, std::move(message)}; }

}  // namespace

CdgReadResult CheckCdgStream(const std::string& name, const std::vector<uint8_t>& bytes) {
  if (bytes.empty()) return Fail(CdgFileError::kEmpty, "'" + name + "' is empty");
  if (bytes.size() < size_t(kPacketSize)) {
    return Fail(CdgFileError::kPartialPacket,
                "'" + name + "' is " + std::to_string(bytes.size()) +
                    " bytes long, shorter than one 24-byte CD+G packet");
  }
  const size_t whole = bytes.size() - bytes.size() % kPacketSize;
  for (size_t offset = 0; offset < whole; offset += kPacketSize)
    if (IsGraphicsCommand(bytes[offset])) return {};
  // Empty slots are stored as zero bytes: an all-zero file is a stream that
  // draws nothing, not a foreign file.
  if (std::all_of(bytes.begin(), bytes.begin() + whole, [](uint8_t b) { return b == 0; })) return {};
  return Fail(CdgFileError::kNotCdg, "'" + name + "' is not a CD+G stream: none of its " +
                                         std::to_string(whole / kPacketSize) +
                                         " packets is a graphics packet");
}

CdgReadResult ReadCdgStreamFile(const std::string& path, CdgStreamFile& out) {
  FilePtr file(std::fopen(path.c_str(), "rb"));
  if (!file) return Fail(CdgFileError::kCannotOpen, "cannot open '" + path + "': " + std::strerror(errno));
  std::vector<uint8_t> bytes;
  uint8_t chunk[64 * 1024];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
  if (std::ferror(file.get())) {
    // A directory opens but does not read.
    return Fail(CdgFileError::kReadFailed, "cannot read '" + path + "': " + std::strerror(errno));
  }
  CdgReadResult result = CheckCdgStream(path, bytes);
  if (result) {
    // A stream cut to an audio length in milliseconds ends inside a packet;
    // the cut packet is incomplete and is not played.
    out.trailingBytes = bytes.size() % kPacketSize;
    bytes.resize(bytes.size() - out.trailingBytes);
    out.bytes = std::move(bytes);
  }
  return result;
}

bool WriteCdgStreamFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
  FilePtr file(std::fopen(path.c_str(), "wb"));
  if (!file) {
    error = "cannot write '" + path + "': " + std::strerror(errno);
    return false;
  }
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
    error = "cannot write '" + path + "': " + std::strerror(errno);
    return false;
  }
  if (std::fclose(file.release()) != 0) {
    error = "cannot write '" + path + "': " + std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace lf
