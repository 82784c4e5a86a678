#pragma once
// The PCM an encoder reads: the data chunk of a WAV file, or a whole
// headerless file taken as 44,100 Hz 16-bit stereo. Every size is checked
// when the source is opened, so reading can trust the format.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "core/audio/wav_in_file.h"

namespace lf {

struct PcmFormat {
  uint32_t sampleRate = 44100;
  int channels = 2;
  int bits = 16;
  int BlockAlign() const { return channels * bits / 8; }
};

class PcmSource {
 public:
  PcmSource() = default;
  ~PcmSource();
  PcmSource(const PcmSource&) = delete;
  PcmSource& operator=(const PcmSource&) = delete;

  // Accepts 8- or 16-bit, mono or stereo PCM. False with a sentence in *error
  // for a missing file, a file that is not WAV, a truncated or empty one, or
  // a format outside that range. Without allowHeaderless only WAV files open.
  bool Open(const std::string& path, std::string* error, bool allowHeaderless = true);

  const PcmFormat& Format() const { return m_format; }
  uint64_t DataBytes() const { return m_dataBytes; }
  bool IsRaw() const { return m_raw != nullptr; }
  // Reads up to count bytes of sample data; 0 at the end. With a gain other
  // than 1 the samples come out scaled, and reads keep to whole frames.
  std::size_t Read(uint8_t* buffer, std::size_t count);
  // The gain Read applies (loudness normalisation); 1 by default.
  void SetGain(double gain) { m_gain = gain; }
  double Gain() const { return m_gain; }

 private:
  bool OpenWav(const std::string& path, std::string* error);
  bool OpenRaw(const std::string& path, std::string* error);

  PcmFormat m_format;
  uint64_t m_dataBytes = 0;
  uint64_t m_bytesRead = 0;
  double m_gain = 1.0;
  std::unique_ptr<WavInFile> m_wav;
  std::FILE* m_raw = nullptr;
};

}  // namespace lf
