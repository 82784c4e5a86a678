#include "core/audio/wma_audio_encoder.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include "core/audio/encoded_audio_stream.h"
#include "core/audio/ffmpeg_output.h"

namespace lf {

namespace {
constexpr int kOutRate = 44100;
}  // namespace

struct WmaAudioEncoder::State {
  AVFormatContext* format = nullptr;
  EncodedAudioStream audio;
  bool fileOpen = false;
  bool headerWritten = false;

  ~State() {
    if (format) {
      if (fileOpen) avio_closep(&format->pb);
      avformat_free_context(format);
    }
  }
};

WmaAudioEncoder::WmaAudioEncoder() : m_state(std::make_unique<State>()) {}
WmaAudioEncoder::~WmaAudioEncoder() = default;

bool WmaAudioEncoder::Open(const std::string& path, int bitRate, uint32_t inRate, int inChannels, int inBits,
                           const std::vector<std::pair<std::string, std::string>>& metadata) {
  State& s = *m_state;
  int rc = avformat_alloc_output_context2(&s.format, nullptr, "asf", path.c_str());
  if (rc < 0 || !s.format) return m_error = "The ASF writer is not available: " + FfmpegErrorText(rc), false;
  // The decoder spends the first frame filling its overlap and plays from the
  // second: a frame of silence up front keeps the music at its own time.
  const AudioStreamSettings settings{"wmav2", bitRate, kOutRate, true};
  if (!s.audio.Open(s.format, settings, inRate, inChannels, inBits)) return m_error = s.audio.Error(), false;

  for (const auto& [name, value] : metadata) av_dict_set(&s.format->metadata, name.c_str(), value.c_str(), 0);

  if ((rc = avio_open(&s.format->pb, path.c_str(), AVIO_FLAG_WRITE)) < 0)
    return m_error = "Unable to open \"" + path + "\" for writing: " + FfmpegErrorText(rc), false;
  s.fileOpen = true;
  if ((rc = avformat_write_header(s.format, nullptr)) < 0)
    return m_error = "Unable to write the WMA header: " + FfmpegErrorText(rc), false;
  s.headerWritten = true;
  return true;
}

bool WmaAudioEncoder::Write(const uint8_t* pcm, std::size_t frames) {
  State& s = *m_state;
  if (!s.headerWritten) return m_error = "The WMA file is not open.", false;
  return s.audio.Write(pcm, frames) || (m_error = s.audio.Error(), false);
}

bool WmaAudioEncoder::Finish() {
  State& s = *m_state;
  if (!s.headerWritten) return m_error = "The WMA file is not open.", false;
  if (!s.audio.Finish()) return m_error = s.audio.Error(), false;
  int rc = av_write_trailer(s.format);
  if (rc < 0) return m_error = "Unable to finish the WMA file: " + FfmpegErrorText(rc), false;
  s.headerWritten = false;
  s.fileOpen = false;
  if ((rc = avio_closep(&s.format->pb)) < 0)
    return m_error = "Unable to finish the WMA file (disk full?): " + FfmpegErrorText(rc), false;
  return true;
}

}  // namespace lf
