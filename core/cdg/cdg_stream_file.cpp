#include "core/cdg/cdg_stream_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "core/cdg/cdg_packet.h"

namespace lf {

namespace {

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

// At least half the packets of a stream are instructions or empty slots.
constexpr size_t kPlausibleShareNumerator = 1, kPlausibleShareDenominator = 2;

CdgReadResult Fail(CdgFileError error, std::string message) { return CdgReadResult{error, std::move(message)}; }

}  // namespace

CdgReadResult CheckCdgStream(const std::string& name, const std::vector<uint8_t>& bytes) {
  if (bytes.empty()) return Fail(CdgFileError::kEmpty, "'" + name + "' is empty");
  if (bytes.size() < size_t(kPacketSize)) {
    return Fail(CdgFileError::kPartialPacket, "'" + name + "' is " + std::to_string(bytes.size()) +
                                                  " bytes long, shorter than one 24-byte CD+G packet");
  }
  const size_t packets = bytes.size() / kPacketSize;
  size_t graphics = 0, instructions = 0, empty = 0;
  for (size_t slot = 0; slot < packets; ++slot) {
    const uint8_t* p = &bytes[slot * kPacketSize];
    if (IsGraphicsCommand(p[0])) {
      ++graphics;
      if (InstructionName(p[1] & kSixBitMask)) ++instructions;
    } else if ((p[0] & kSixBitMask) == 0) {
      ++empty;
    }
  }
  // Empty slots are stored as zero bytes: an all-zero file is a stream that
  // draws nothing, not a foreign file.
  const size_t whole = packets * kPacketSize;
  if (graphics == 0 && std::all_of(bytes.begin(), bytes.begin() + whole, [](uint8_t b) { return b == 0; })) return {};
  if (graphics == 0)
    return Fail(CdgFileError::kNotCdg, "'" + name + "' is not a CD+G file: none of its " + std::to_string(packets) +
                                           " packets is a graphics packet");
  // Any file has a byte here and there that looks like a graphics command; a
  // stream is mostly instructions and empty slots.
  if ((instructions + empty) * kPlausibleShareDenominator < packets * kPlausibleShareNumerator)
    return Fail(CdgFileError::kNotCdg, "'" + name + "' is not a CD+G file: only " +
                                           std::to_string(instructions + empty) + " of its " + std::to_string(packets) +
                                           " packets are graphics instructions or empty");
  return {};
}

CdgReadResult ReadCdgStreamFile(const std::string& path, CdgStreamFile& out) {
  // Opened without waiting, so a pipe with no writer cannot hold the reader.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return Fail(CdgFileError::kCannotOpen, "cannot open '" + path + "': " + std::strerror(errno));
  FilePtr file(fdopen(fd, "rb"));
  if (!file) {
    close(fd);
    return Fail(CdgFileError::kCannotOpen, "cannot open '" + path + "': " + std::strerror(errno));
  }
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    // A folder, a device or a pipe: nothing of a known length to read.
    return Fail(CdgFileError::kReadFailed, "cannot read '" + path + "': not a regular file");
  }
  if (static_cast<uint64_t>(info.st_size) > kMaxCdgFileBytes)
    return Fail(CdgFileError::kTooLarge, "'" + path + "' is " + std::to_string(info.st_size) +
                                             " bytes long, more than the " + std::to_string(kMaxCdgFileBytes) +
                                             " bytes of ten hours of CD+G");
  std::vector<uint8_t> bytes(static_cast<size_t>(info.st_size));
  if (!bytes.empty() && std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size())
    return Fail(CdgFileError::kReadFailed, "cannot read '" + path + "': " + std::strerror(errno ? errno : EIO));
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
