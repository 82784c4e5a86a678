#include "core/audio/wav_header.h"

#include <cstring>

namespace lf {

uint16_t ReadLe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t ReadLe32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}

void WriteLe16(uint8_t* p, uint16_t value) {
  p[0] = static_cast<uint8_t>(value);
  p[1] = static_cast<uint8_t>(value >> 8);
}

void WriteLe32(uint8_t* p, uint32_t value) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(value >> (8 * i));
}

namespace {

class FieldWriter {
 public:
  explicit FieldWriter(uint8_t* out) : m_out(out) {}
  void Tag(const FourCC& tag) {
    std::memcpy(m_out + m_pos, tag.data(), 4);
    m_pos += 4;
  }
  void U16(uint16_t v) {
    WriteLe16(m_out + m_pos, v);
    m_pos += 2;
  }
  void U32(uint32_t v) {
    WriteLe32(m_out + m_pos, v);
    m_pos += 4;
  }
  int Position() const { return m_pos; }

 private:
  uint8_t* m_out;
  int m_pos = 0;
};

}  // namespace

std::array<uint8_t, kWavHeaderBytes> SerializeWavHeader(const WavHeader& h) {
  std::array<uint8_t, kWavHeaderBytes> bytes{};
  FieldWriter w(bytes.data());
  w.Tag(h.riffTag);
  w.U32(h.riffLength);
  w.Tag(h.waveTag);
  w.Tag(h.fmtTag);
  w.U32(h.fmtLength);
  w.U16(h.formatTag);
  w.U16(h.channels);
  w.U32(h.sampleRate);
  w.U32(h.byteRate);
  w.U16(h.blockAlign);
  w.U16(h.bitsPerSample);
  w.Tag(h.factTag);
  w.U32(h.factLength);
  w.U32(h.factSampleCount);
  w.Tag(h.dataTag);
  w.U32(h.dataLength);
  return bytes;
}

bool WriteCanonicalWavHeader(std::FILE* file, uint32_t sampleRate, uint16_t bits, uint16_t channels) {
  if (!file) return false;
  const uint64_t byteRate = uint64_t{channels} * bits * sampleRate / 8;
  // Thirty seconds, so that a reader of an unfinished file still sees audio.
  const uint32_t dataLength = static_cast<uint32_t>(uint64_t{channels} * bits * sampleRate * 30 / 8);

  std::array<uint8_t, kCanonicalWavHeaderBytes> bytes{};
  FieldWriter w(bytes.data());
  w.Tag(kRiffTag);
  w.U32(dataLength + 36);
  w.Tag(kWaveTag);
  w.Tag(kFmtTag);
  w.U32(16);
  w.U16(kWavFormatPcm);
  w.U16(channels);
  w.U32(sampleRate);
  w.U32(static_cast<uint32_t>(byteRate));
  w.U16(static_cast<uint16_t>(channels * bits / 8));
  w.U16(bits);
  w.Tag(kDataTag);
  w.U32(dataLength);
  return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

bool PatchWavSizes(std::FILE* file, uint32_t dataBytes) {
  if (!file) return false;
  uint8_t field[4];
  WriteLe32(field, dataBytes + 36);
  if (std::fseek(file, 4, SEEK_SET) != 0 || std::fwrite(field, 1, 4, file) != 4) return false;
  WriteLe32(field, dataBytes);
  if (std::fseek(file, 40, SEEK_SET) != 0 || std::fwrite(field, 1, 4, file) != 4) return false;
  return std::fflush(file) == 0;
}

}  // namespace lf
