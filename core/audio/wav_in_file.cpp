#include "core/audio/wav_in_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace lf {

static_assert(std::endian::native == std::endian::little, "16-bit samples are read straight into the caller's buffer");

namespace {

constexpr const char* kCorruptText = "Input file is corrupt or not a WAV file";
constexpr int kFmtFieldBytes = 16;
constexpr int kFactFieldBytes = 4;

bool SameTag(const uint8_t* bytes, const FourCC& tag) { return std::memcmp(bytes, tag.data(), 4) == 0; }

// Chunk labels are printable: a byte outside space..'z' means we are lost.
bool IsLabelByte(uint8_t b) { return b >= 32 && b <= 122; }

}  // namespace

WavInFile::WavInFile(const std::string& fileName) {
  m_file = std::fopen(fileName.c_str(), "rb");
  if (!m_file) {
    SetError("Error : Unable to open file \"" + fileName + "\" for reading.");
    return;
  }
  struct stat info {};
  if (fstat(fileno(m_file), &info) == 0 && S_ISREG(info.st_mode)) m_fileSize = static_cast<uint64_t>(info.st_size);
  if (!ParseHeaders()) {
    Reject();
    return;
  }
  m_bytesRead = 0;
}

WavInFile::~WavInFile() {
  if (m_file) std::fclose(m_file);
}

bool WavInFile::Reject() {
  SetError(kCorruptText);
  if (m_file) std::fclose(m_file);
  m_file = nullptr;
  m_bytesRead = 0;
  m_dataBytesInFile = 0;
  return false;
}

uint64_t WavInFile::BytesLeftInFile() {
  const long pos = std::ftell(m_file);
  if (pos < 0 || static_cast<uint64_t>(pos) > m_fileSize) return 0;
  return m_fileSize - static_cast<uint64_t>(pos);
}

bool WavInFile::SkipBytes(uint64_t count) {
  if (count == 0) return true;
  if (count > BytesLeftInFile()) return false;
  return std::fseek(m_file, static_cast<long>(count), SEEK_CUR) == 0;
}

// RIFF pads odd chunks to an even length, but not every writer does: a zero
// byte cannot begin a label, so it is taken as padding and anything else is
// left for the next label.
void WavInFile::SkipPadByte(uint32_t chunkLength) {
  if ((chunkLength & 1) == 0) return;
  const int c = std::fgetc(m_file);
  if (c != 0 && c != EOF) std::ungetc(c, m_file);
}

bool WavInFile::ReadChunkLength(uint32_t& length) {
  uint8_t field[4];
  if (std::fread(field, 1, 4, m_file) != 4) return false;
  length = ReadLe32(field);
  return true;
}

bool WavInFile::ReadFmtChunk() {
  uint32_t length = 0;
  if (!ReadChunkLength(length)) return false;
  const uint32_t take = std::min<uint32_t>(length, kFmtFieldBytes);
  uint8_t fields[kFmtFieldBytes] = {};
  if (take == 0 || std::fread(fields, 1, take, m_file) != take) return false;
  m_header.fmtTag = kFmtTag;
  m_header.fmtLength = length;
  m_header.formatTag = ReadLe16(fields);
  m_header.channels = ReadLe16(fields + 2);
  m_header.sampleRate = ReadLe32(fields + 4);
  m_header.byteRate = ReadLe32(fields + 8);
  m_header.blockAlign = ReadLe16(fields + 12);
  m_header.bitsPerSample = ReadLe16(fields + 14);
  if (!SkipBytes(length - take)) return false;
  SkipPadByte(length);
  return true;
}

bool WavInFile::ReadFactChunk() {
  uint32_t length = 0;
  if (!ReadChunkLength(length)) return false;
  const long countAt = std::ftell(m_file);
  if (countAt < 0) return false;
  m_factCountOffset = static_cast<uint64_t>(countAt);
  const uint32_t take = std::min<uint32_t>(length, kFactFieldBytes);
  uint8_t fields[kFactFieldBytes] = {};
  if (take == 0 || std::fread(fields, 1, take, m_file) != take) return false;
  m_header.factTag = kFactTag;
  m_header.factLength = length;
  m_header.factSampleCount = ReadLe32(fields);
  if (!SkipBytes(length - take)) return false;
  SkipPadByte(length);
  return true;
}

bool WavInFile::ParseHeaders() {
  uint8_t riff[12];
  if (std::fread(riff, 1, sizeof riff, m_file) != sizeof riff) return false;
  if (!SameTag(riff, kRiffTag) || !SameTag(riff + 8, kWaveTag)) return false;
  m_header.riffTag = kRiffTag;
  m_header.riffLength = ReadLe32(riff + 4);
  m_header.waveTag = kWaveTag;

  bool sawFmt = false;
  for (;;) {
    uint8_t label[4];
    if (std::fread(label, 1, 4, m_file) != 4) return false;
    if (!std::all_of(label, label + 4, IsLabelByte)) return false;
    if (SameTag(label, kFmtTag)) {
      if (!ReadFmtChunk()) return false;
      sawFmt = true;
    } else if (SameTag(label, kFactTag)) {
      if (!ReadFactChunk()) return false;
    } else if (SameTag(label, kDataTag)) {
      uint32_t length = 0;
      if (!ReadChunkLength(length)) return false;
      m_header.dataTag = kDataTag;
      m_header.dataLength = length;
      break;
    } else {
      uint32_t length = 0;
      if (!ReadChunkLength(length) || !SkipBytes(length)) return false;
      SkipPadByte(length);
    }
  }
  if (!sawFmt) return false;  // "data" came before any "fmt "
  const long pos = std::ftell(m_file);
  if (pos < 0) return false;
  m_dataOffset = static_cast<uint64_t>(pos);
  m_dataBytesInFile = std::min<uint64_t>(m_header.dataLength, BytesLeftInFile());
  return true;
}

uint32_t WavInFile::SampleCount() const {
  if (m_header.blockAlign == 0) return 0;
  if (m_header.formatTag > kWavFormatPcm) return m_header.factSampleCount;
  return m_header.dataLength / m_header.blockAlign;
}

uint32_t WavInFile::DurationMs() const {
  if (m_header.sampleRate == 0) return 0;
  return static_cast<uint32_t>(std::llround(SampleCount() * 1000.0 / m_header.sampleRate));
}

std::size_t WavInFile::ReadDataBytes(uint8_t* buffer, std::size_t count) {
  if (!m_file || !buffer) return 0;
  const std::size_t want = std::min<std::size_t>(count, DataBytesLeft());
  const std::size_t got = std::fread(buffer, 1, want, m_file);
  m_bytesRead += static_cast<uint32_t>(got);
  return got;
}

bool WavInFile::SeekToFrame(uint64_t frame) {
  if (!m_file || m_header.blockAlign == 0) return false;
  const uint64_t limit = std::min<uint64_t>(m_header.dataLength, m_dataBytesInFile);
  const uint64_t bytes = std::min<uint64_t>(frame * m_header.blockAlign, limit - limit % m_header.blockAlign);
  if (fseeko(m_file, static_cast<off_t>(m_dataOffset + bytes), SEEK_SET) != 0) return false;
  m_bytesRead = static_cast<uint32_t>(bytes);
  return true;
}

int WavInFile::ReadSamples(int16_t* buffer, int count) {
  if (!m_file || !buffer || count <= 0) return 0;
  switch (m_header.bitsPerSample) {
    case 8: {
      const std::size_t want = std::min<std::size_t>(static_cast<std::size_t>(count), DataBytesLeft());
      uint8_t* bytes = ScratchBuffer(want);
      const std::size_t got = ReadDataBytes(bytes, want);
      for (std::size_t i = 0; i < got; ++i) buffer[i] = static_cast<int16_t>((bytes[i] - 128) * 256);
      return static_cast<int>(got);
    }
    case 16: {
      // Whole samples only, so a stray odd byte never leaves half a value.
      std::size_t want = std::min<std::size_t>(static_cast<std::size_t>(count) * 2, DataBytesLeft());
      want &= ~std::size_t{1};
      const std::size_t got = ReadDataBytes(reinterpret_cast<uint8_t*>(buffer), want);
      return static_cast<int>(got / 2);
    }
    default:
      SetError(UnsupportedWidthText(m_header.bitsPerSample));
      return 0;
  }
}

}  // namespace lf
