#include "core/timing/voice_pitch.h"

#include <aubio/aubio.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>

#include "core/audio/wav_in_file.h"

namespace lf {

namespace {
constexpr uint_t kWindow = 2048;
constexpr float kLeastConfidence = 0.7f;  // YIN's confidence: below it the pitch is a guess
constexpr float kSilenceDb = -50.0f;
}  // namespace

PitchTrack PitchTrack::OfWav(const std::string& path) {
  PitchTrack track;
  WavInFile wav(path);
  const int channels = wav.ChannelCount();
  if (!wav.IsOpen() || channels <= 0 || wav.SampleRate() == 0) return track;
  track.m_rate = static_cast<int>(wav.SampleRate());
  aubio_pitch_t* pitch = new_aubio_pitch("yinfast", kWindow, kHop, static_cast<uint_t>(track.m_rate));
  fvec_t* in = new_fvec(kHop);
  fvec_t* out = new_fvec(1);
  if (pitch && in && out) {
    aubio_pitch_set_unit(pitch, "midi");
    aubio_pitch_set_silence(pitch, kSilenceDb);
    std::vector<int16_t> block(static_cast<size_t>(kHop) * static_cast<size_t>(channels));
    while (wav.ReadSamples(block.data(), static_cast<int>(block.size())) / channels == kHop) {
      // The centre: every channel alike.
      for (uint_t f = 0; f < kHop; ++f) {
        int sum = 0;
        for (int c = 0; c < channels; ++c) sum += block[f * static_cast<uint_t>(channels) + static_cast<uint_t>(c)];
        in->data[f] = static_cast<float>(sum) / (32768.0f * static_cast<float>(channels));
      }
      aubio_pitch_do(pitch, in, out);
      const bool clear = aubio_pitch_get_confidence(pitch) >= kLeastConfidence && out->data[0] > 0;
      track.m_notes.push_back(clear ? out->data[0] : 0.0f);
    }
  }
  if (pitch) del_aubio_pitch(pitch);
  if (in) del_fvec(in);
  if (out) del_fvec(out);
  return track;
}

std::optional<int> PitchTrack::MedianNote(int64_t fromMs, int64_t toMs) const {
  if (m_rate <= 0 || toMs <= fromMs) return std::nullopt;
  // Hop i's pitch is that of the window ending with it, centred half a window earlier.
  const auto hopAt = [&](int64_t ms) {
    const int64_t frame = ms * m_rate / 1000 + static_cast<int64_t>(kWindow) / 2 - kHop;
    return static_cast<size_t>(std::clamp<int64_t>(frame / kHop, 0, static_cast<int64_t>(m_notes.size())));
  };
  std::vector<float> sung;
  for (size_t i = hopAt(fromMs); i < hopAt(toMs); ++i)
    if (m_notes[i] > 0) sung.push_back(m_notes[i]);
  if (sung.empty()) return std::nullopt;
  std::nth_element(sung.begin(), sung.begin() + static_cast<std::ptrdiff_t>(sung.size() / 2), sung.end());
  return static_cast<int>(std::lround(sung[sung.size() / 2]));
}

std::function<std::optional<int>(int64_t, int64_t)> SungNotePitch(const std::string& wavPath) {
  struct Lazy {
    std::string path;
    std::once_flag once;
    PitchTrack track;
  };
  auto lazy = std::make_shared<Lazy>();
  lazy->path = wavPath;
  return [lazy](int64_t startMs, int64_t endMs) -> std::optional<int> {
    std::call_once(lazy->once, [&] { lazy->track = PitchTrack::OfWav(lazy->path); });
    const std::optional<int> midi = lazy->track.MedianNote(startMs, endMs);
    if (!midi) return std::nullopt;
    return *midi - kMidiC4;
  };
}

}  // namespace lf
