#include "core/audio/wav_out_file.h"

#include <limits>

namespace lf {

namespace {
// The RIFF length field must still hold the whole file.
constexpr uint32_t kMaxDataBytes = std::numeric_limits<uint32_t>::max() - kWavHeaderBytes;
}  // namespace

WavOutFile::WavOutFile(const std::string& fileName, uint32_t sampleRate, int bitsPerSample, int channels) {
  m_file = std::fopen(fileName.c_str(), "wb");
  if (!m_file) {
    SetError("Error : Unable to open file \"" + fileName + "\" for writing.");
    return;
  }
  m_header.riffTag = kRiffTag;
  m_header.waveTag = kWaveTag;
  m_header.fmtTag = kFmtTag;
  m_header.fmtLength = 16;
  m_header.formatTag = kWavFormatPcm;
  m_header.channels = static_cast<uint16_t>(channels);
  m_header.sampleRate = sampleRate;
  m_header.bitsPerSample = static_cast<uint16_t>(bitsPerSample);
  m_header.blockAlign = static_cast<uint16_t>(bitsPerSample * channels / 8);
  m_header.byteRate = sampleRate * m_header.blockAlign;
  m_header.dataTag = kDataTag;
  if (!WriteHeader()) m_failed = true;
}

WavOutFile::~WavOutFile() {
  if (!m_file) return;
  m_header.riffLength = m_bytesWritten + (kWavHeaderBytes - 8);
  m_header.dataLength = m_bytesWritten;
  WriteHeader();
  std::fclose(m_file);
}

bool WavOutFile::WriteHeader() {
  WavHeader copy = m_header;
  if (copy.formatTag <= kWavFormatPcm) {
    copy.factTag = kFactTag;
    copy.factLength = 4;
    copy.factSampleCount = copy.blockAlign ? copy.dataLength / copy.blockAlign : 0;
  }
  const auto bytes = SerializeWavHeader(copy);
  if (std::fseek(m_file, 0, SEEK_SET) != 0) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), m_file) == bytes.size();
  return std::fseek(m_file, 0, SEEK_END) == 0 && written;
}

bool WavOutFile::WriteBytes(const uint8_t* bytes, std::size_t count) {
  if (count > kMaxDataBytes - m_bytesWritten) {
    SetError("The WAV file would grow past 4 GiB; the rest of the audio was not written.");
    m_failed = true;
    return false;
  }
  if (std::fwrite(bytes, 1, count, m_file) != count) {
    SetError("Error : Unable to write the WAV file (disk full?).");
    m_failed = true;
    return false;
  }
  m_bytesWritten += static_cast<uint32_t>(count);
  return true;
}

void WavOutFile::WriteSamples(const int16_t* buffer, int count) {
  if (!m_file || m_failed || !buffer || count <= 0) return;
  const std::size_t n = static_cast<std::size_t>(count);
  switch (m_header.bitsPerSample) {
    case 8: {
      uint8_t* bytes = ScratchBuffer(n);
      for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(buffer[i] / 256 + 128);
      WriteBytes(bytes, n);
      return;
    }
    case 16: {
      uint8_t* bytes = ScratchBuffer(n * 2);
      for (std::size_t i = 0; i < n; ++i) WriteLe16(bytes + 2 * i, static_cast<uint16_t>(buffer[i]));
      WriteBytes(bytes, n * 2);
      return;
    }
    default:
      SetError(UnsupportedWidthText(m_header.bitsPerSample));
      return;
  }
}

}  // namespace lf
