#pragma once
// One audio stream of a file FFmpeg writes (WMA in ASF, AAC in MP4): PCM of
// any rate, mono or stereo, 8 or 16 bits goes in; the encoder's packets go to
// the muxer, interleaved with the file's other streams. The writer that owns
// the file opens it, writes its header and trailer.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

struct AVFormatContext;

namespace lf {

struct AudioStreamSettings {
  std::string encoder;              // FFmpeg's encoder name ("wmav2", "aac")
  int bitRate = 128000;             // bit/s
  int outRate = 44100;              // 0: the source's rate when the encoder takes it, else 44,100
  bool leadingSilentFrame = false;  // one encoder frame of silence first (decoders that play from the second)
};

class EncodedAudioStream {
 public:
  EncodedAudioStream();
  ~EncodedAudioStream();
  EncodedAudioStream(const EncodedAudioStream&) = delete;
  EncodedAudioStream& operator=(const EncodedAudioStream&) = delete;

  // Adds the stream to `format` (before its header is written) and opens the
  // encoder and the converter. False with Error() on failure.
  bool Open(AVFormatContext* format, const AudioStreamSettings& settings, uint32_t inRate, int inChannels, int inBits);
  // Encodes interleaved source frames (inBits wide, unsigned for 8 bits).
  bool Write(const uint8_t* pcm, std::size_t frames);
  // Drains the converter, pads the last encoder frame with silence and flushes
  // the encoder. The owner writes the trailer afterwards.
  bool Finish();
  int OutRate() const;
  const std::string& Error() const { return m_error; }

 private:
  struct State;
  bool EncodeFifo(bool padLast);
  std::unique_ptr<State> m_state;
  std::string m_error;
};

}  // namespace lf
