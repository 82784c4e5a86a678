#pragma once
// Reads a PCM WAV file: parses the RIFF chunks up to the data chunk and hands
// out samples as signed 16-bit values, interleaved by channel. A file that
// cannot be opened or whose headers are rejected leaves IsOpen() false and a
// text in LastError(); every read then returns 0 samples.
#include <cstdint>
#include <cstdio>
#include <string>

#include "core/audio/wav_file_base.h"
#include "core/audio/wav_header.h"

namespace lf {

class WavInFile : public WavFileBase {
 public:
  explicit WavInFile(const std::string& fileName);
  ~WavInFile() override;

  // True when the file is open and its headers were accepted.
  bool IsOpen() const { return m_file != nullptr; }

  uint32_t SampleRate() const { return m_header.sampleRate; }
  int BitsPerSample() const { return m_header.bitsPerSample; }
  int ChannelCount() const { return m_header.channels; }
  int FormatTag() const { return m_header.formatTag; }
  int BlockAlign() const { return m_header.blockAlign; }
  // The data chunk's length as its header states it.
  uint32_t DataBytes() const { return m_header.dataLength; }
  // Sample frames.
  uint32_t SampleCount() const;
  uint32_t DurationMs() const;
  const WavHeader& Header() const { return m_header; }

  // Where the first sample byte lies, and how many data bytes the file really
  // holds from there (less than DataBytes() when the header claims more).
  uint64_t DataOffset() const { return m_dataOffset; }
  uint64_t DataBytesInFile() const { return m_dataBytesInFile; }
  bool IsDataTruncated() const { return m_dataBytesInFile < m_header.dataLength; }
  // Where the fact chunk's sample count lies; 0 when the file has no fact chunk.
  uint64_t FactCountOffset() const { return m_factCountOffset; }

  // Reads up to count sample values (not frames); returns how many were
  // delivered. Never reads past the end of the data chunk.
  int ReadSamples(int16_t* buffer, int count);
  // Raw data bytes, at most up to the end of the data chunk; returns the count.
  std::size_t ReadDataBytes(uint8_t* buffer, std::size_t count);
  // Moves the read position to sample frame `frame` of the data, or to the
  // end of the data the file holds when it is shorter. False when the file
  // is not open or cannot seek.
  bool SeekToFrame(uint64_t frame);

 private:
  bool ParseHeaders();
  bool ReadChunkLength(uint32_t& length);
  bool ReadFmtChunk();
  bool ReadFactChunk();
  bool SkipBytes(uint64_t count);
  void SkipPadByte(uint32_t chunkLength);
  uint64_t BytesLeftInFile();
  bool Reject();
  uint32_t DataBytesLeft() const { return m_header.dataLength - m_bytesRead; }

  std::FILE* m_file = nullptr;
  WavHeader m_header;
  uint32_t m_bytesRead = 0;
  uint64_t m_fileSize = 0;
  uint64_t m_dataOffset = 0;
  uint64_t m_dataBytesInFile = 0;
  uint64_t m_factCountOffset = 0;
};

}  // namespace lf
