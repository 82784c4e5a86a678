#pragma once
// The `.cdg` file of an MP3+G or WMA+G export: the raw packet stream, cut to
// the playing time of the audio written beside it.
#include <cstdint>
#include <string>

namespace lf {

// Bytes of a `bufferSize` stream to keep for audio lasting `durationMs`:
// all of it when the duration is unknown (0), else at most D x 7,200 / 1,000,
// rounded down to whole 24-byte packets.
int64_t CdgBytesToWrite(int64_t bufferSize, int64_t durationMs);

// Writes `bytes` of `stream` to `path` (created or truncated). False when the
// file cannot be created or written completely.
bool WriteCdgFile(const std::string& path, const uint8_t* stream, int64_t bytes);

}  // namespace lf
