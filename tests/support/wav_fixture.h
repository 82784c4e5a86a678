#pragma once
// Synthetic WAV material for tests: tones, hand-built chunk lists, raw bytes.
#include <cstdint>
#include <string>
#include <vector>

namespace lf::test {

// One RIFF chunk: a four-character label and its body. A padded chunk gets a
// zero byte after an odd body, as RIFF asks.
struct RiffChunk {
  std::string label;
  std::string body;
  bool padded = true;
};

// "RIFF", the length of the rest, "WAVE", then the chunks in order.
std::string MakeRiffWave(const std::vector<RiffChunk>& chunks);

// The 16 bytes of a PCM fmt chunk body.
std::string FmtBody(uint16_t channels, uint32_t rate, uint16_t bits, uint16_t formatTag = 1);

// Interleaved 16-bit sine (every channel alike) of the given frames, amplitude 0.5.
std::vector<int16_t> SineSamples(uint32_t rate, int channels, uint32_t frames, double hz);

// Sample values as little-endian bytes of the given width (8: unsigned, 16, 24).
std::string PcmBytes(const std::vector<int16_t>& samples, int bits);

// A canonical PCM WAV of a sine tone.
std::string ToneWav(uint32_t rate, int bits, int channels, uint32_t frames, double hz = 440.0);

void WriteFileBytes(const std::string& path, const std::string& bytes);
std::string ReadFileBytes(const std::string& path);

// Runs a shell command; returns its standard output, and its exit status in *status.
std::string RunCommand(const std::string& command, int* status = nullptr);

}  // namespace lf::test
