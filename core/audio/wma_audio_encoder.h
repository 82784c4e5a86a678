#pragma once
// Windows Media Audio 2 in an ASF file, through FFmpeg: the one place that
// knows about FFmpeg's encoder, muxer and resampler for WMA output. PCM of
// any rate, mono or stereo, 8 or 16 bits goes in; 44.1 kHz stereo comes out.
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace lf {

class WmaAudioEncoder {
 public:
  WmaAudioEncoder();
  ~WmaAudioEncoder();
  WmaAudioEncoder(const WmaAudioEncoder&) = delete;
  WmaAudioEncoder& operator=(const WmaAudioEncoder&) = delete;

  // Opens the encoder and the file and writes the ASF header with the
  // metadata (name, UTF-8 value). False with Error() on failure.
  bool Open(const std::string& path, int bitRate, uint32_t inRate, int inChannels, int inBits,
            const std::vector<std::pair<std::string, std::string>>& metadata);
  // Encodes interleaved source frames (inBits wide, unsigned for 8 bits).
  bool Write(const uint8_t* pcm, std::size_t frames);
  // Flushes the encoder and writes the index and trailer; closes the file.
  bool Finish();
  const std::string& Error() const { return m_error; }

 private:
  struct State;
  std::unique_ptr<State> m_state;
  std::string m_error;
};

}  // namespace lf
