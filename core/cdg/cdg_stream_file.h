#pragma once
// Reading a .cdg file: a flat run of 24-byte packets from slot 0, no header.
// Export cuts a stream to the audio's length in milliseconds (7.2 bytes a
// millisecond), so a file may end inside its last packet: that packet is left
// out. A file shorter than one packet is refused.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace lf {

enum class CdgFileError { kNone, kCannotOpen, kEmpty, kPartialPacket, kNotCdg, kReadFailed, kTooLarge };

// Ten hours of packets: more than any song, less than memory can bear.
inline constexpr uint64_t kMaxCdgFileBytes = 10ull * 3600 * 300 * 24;

struct CdgStreamFile {
  std::vector<uint8_t> bytes;  // a whole number of packets
  size_t trailingBytes = 0;    // bytes of a cut last packet, left out
  size_t PacketCount() const { return bytes.size() / 24; }
};

struct CdgReadResult {
  CdgFileError error = CdgFileError::kNone;
  std::string message;  // one line naming the file, empty on success
  explicit operator bool() const { return error == CdgFileError::kNone; }
};

// Reads `path` into `out`. Fails on a missing or unreadable file, anything but
// a regular file, a file past kMaxCdgFileBytes, an empty file, one shorter than
// a packet, and a file that is not a plausible stream: one in which no whole
// packet is a graphics instruction, or fewer than half are graphics
// instructions or empty slots (command 0).
CdgReadResult ReadCdgStreamFile(const std::string& path, CdgStreamFile& out);

// Checks bytes already in memory in the same way; `name` is used in messages.
CdgReadResult CheckCdgStream(const std::string& name, const std::vector<uint8_t>& bytes);

// Writes a stream; false with a one-line message on failure.
bool WriteCdgStreamFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error);

}  // namespace lf
