#pragma once
// WMA+G export's audio: a WAV file encoded as Windows Media Audio in an ASF
// file, with silence before and after the music and header attributes.
#include <cstdint>
#include <string>
#include <vector>

namespace lf {

class ProgressSink;

// Header attributes: 0 a 32-bit number (the value is decimal text), 1 a
// string (at most 1,024 characters), anything else the value as it is.
enum WmaAttributeType { kWmaAttributeNumber = 0, kWmaAttributeString = 1 };

struct WmaAttribute {
  std::string name;  // "Title", "Author", ...
  int type = kWmaAttributeString;
  std::string value;
};

// The process-wide list the next EncodeWavToWma writes; it empties the list.
std::vector<WmaAttribute>& WmaAttributes();
void AddWmaAttribute(const std::string& name, int type, const std::string& value);

// The profiles offered: 23 to 26 are 44.1 kHz stereo at 96, 128, 160 and 192
// kbit/s. Returns the bit rate in bit/s, or 0 for any other number.
int WmaProfileBitRate(int profileNumber);

// Encodes the WAV file at sourcePath (8 or 16 bits, mono or stereo) into
// outputPath with leadInFrames of silence before it and tailFrames after it
// (source sample frames), every sample of the music multiplied by `gain`.
// Progress sees 2, 4, 6 ... 100. Returns 0 on success
// and 1 on failure; then *error says why and nothing is left at outputPath
// (an earlier file there stays untouched).
int EncodeWavToWma(const std::string& outputPath, const std::string& sourcePath, int profileNumber,
                   ProgressSink* progress, int64_t leadInFrames, int64_t tailFrames, std::string* error = nullptr,
                   double gain = 1.0);

}  // namespace lf
