#pragma once
// The WAV header as our reader and writer hold it, and the two routines that
// lay a canonical 44-byte header over a file written with a blank one.
// Every multi-byte field on disk is little-endian.
#include <array>
#include <cstdint>
#include <cstdio>

namespace lf {

using FourCC = std::array<char, 4>;

inline constexpr FourCC kRiffTag{'R', 'I', 'F', 'F'};
inline constexpr FourCC kWaveTag{'W', 'A', 'V', 'E'};
inline constexpr FourCC kFmtTag{'f', 'm', 't', ' '};
inline constexpr FourCC kFactTag{'f', 'a', 'c', 't'};
inline constexpr FourCC kDataTag{'d', 'a', 't', 'a'};

inline constexpr uint16_t kWavFormatPcm = 1;
inline constexpr int kWavHeaderBytes = 56;           // with the fact chunk
inline constexpr int kCanonicalWavHeaderBytes = 44;  // RIFF, fmt, data only

struct WavHeader {
  FourCC riffTag{};
  uint32_t riffLength = 0;  // everything after this field
  FourCC waveTag{};
  FourCC fmtTag{};
  uint32_t fmtLength = 0;
  uint16_t formatTag = 0;
  uint16_t channels = 0;
  uint32_t sampleRate = 0;
  uint32_t byteRate = 0;
  uint16_t blockAlign = 0;
  uint16_t bitsPerSample = 0;
  FourCC factTag{};
  uint32_t factLength = 0;
  uint32_t factSampleCount = 0;
  FourCC dataTag{};
  uint32_t dataLength = 0;
};

// The 56-byte on-disk form, field after field.
std::array<uint8_t, kWavHeaderBytes> SerializeWavHeader(const WavHeader& header);

uint16_t ReadLe16(const uint8_t* p);
uint32_t ReadLe32(const uint8_t* p);
void WriteLe16(uint8_t* p, uint16_t value);
void WriteLe32(uint8_t* p, uint32_t value);

// Writes a canonical 44-byte PCM header at the file's current position. The
// lengths are placeholders (thirty seconds of audio) until PatchWavSizes runs.
// Returns false when the write failed; the file is left where it stands.
bool WriteCanonicalWavHeader(std::FILE* file, uint32_t sampleRate, uint16_t bits, uint16_t channels);

// Puts the real lengths into a canonical header: riff length at offset 4,
// data length at offset 40. Returns false when a seek or write failed.
bool PatchWavSizes(std::FILE* file, uint32_t dataBytes);

}  // namespace lf
