#pragma once
// Writes a PCM WAV file with a 56-byte header (RIFF, fmt, fact, data). The
// header is written blank at construction and completed at destruction:
// there is no separate close, the file is only correct once the object is gone.
#include <cstdint>
#include <cstdio>
#include <string>

#include "core/audio/wav_file_base.h"
#include "core/audio/wav_header.h"

namespace lf {

class WavOutFile : public WavFileBase {
 public:
  WavOutFile(const std::string& fileName, uint32_t sampleRate, int bitsPerSample, int channels);
  ~WavOutFile() override;

  bool IsOpen() const { return m_file != nullptr; }
  // False once a write failed (disk full, ...) or the file never opened.
  bool Good() const { return m_file != nullptr && !m_failed; }

  // Appends count sample values (not frames), converted to the file's width.
  void WriteSamples(const int16_t* buffer, int count);

  uint32_t DataBytesWritten() const { return m_bytesWritten; }
  const WavHeader& Header() const { return m_header; }

 private:
  bool WriteHeader();
  bool WriteBytes(const uint8_t* bytes, std::size_t count);

  std::FILE* m_file = nullptr;
  WavHeader m_header;
  uint32_t m_bytesWritten = 0;
  bool m_failed = false;
};

}  // namespace lf
