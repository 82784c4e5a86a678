#pragma once
// Reading a .cdg file: a flat run of 24-byte packets from slot 0, no header.
// A file that is not whole packets is refused rather than guessed at: the
// program only ever writes whole packets, so a partial one means the file was
// cut or is something else.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace lf {

enum class CdgFileError { kNone, kCannotOpen, kEmpty, kPartialPacket, kNotCdg, kReadFailed };

struct CdgStreamFile {
  std::vector<uint8_t> bytes;  // a whole number of packets
  size_t PacketCount() const { return bytes.size() / 24; }
};

struct CdgReadResult {
  CdgFileError error = CdgFileError::kNone;
  std::string message;  // one line naming the file, empty on success
  explicit operator bool() const { return error == CdgFileError::kNone; }
};

// Reads `path` into `out`. Fails on a missing or unreadable file, an empty
// file, a length that is not a multiple of 24, and a file in which no packet
// is a graphics packet (command 9).
CdgReadResult ReadCdgStreamFile(const std::string& path, CdgStreamFile& out);

// Checks bytes already in memory in the same way; `name` is used in messages.
CdgReadResult CheckCdgStream(const std::string& name, const std::vector<uint8_t>& bytes);

// Writes a stream; false with a one-line message on failure.
bool WriteCdgStreamFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error);

}  // namespace lf
