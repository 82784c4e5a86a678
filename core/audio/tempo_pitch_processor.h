#pragma once
// Tempo and pitch change of 16-bit interleaved PCM. Two engines: Rubber
// Band's finer engine (the default: it keeps transients single and tones
// steady down to a quarter of the tempo) and SoundTouch. Nothing else
// includes their headers.
//
// Output frame k stands for input frame k * speed, counted from the first
// frame fed after Clear: the engine's own start delay is padded and trimmed.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace lf {

enum class StretchEngine { RubberBand, SoundTouch };

class TempoPitchProcessor {
 public:
  explicit TempoPitchProcessor(StretchEngine engine = StretchEngine::RubberBand);
  ~TempoPitchProcessor();
  TempoPitchProcessor(const TempoPitchProcessor&) = delete;
  TempoPitchProcessor& operator=(const TempoPitchProcessor&) = delete;

  void SetFormat(int sampleRate, int channels);
  // Tempo change in percent (-50 plays at half speed, -75 at a quarter),
  // pitch in semitones.
  void SetTempoChange(double percent);
  void SetPitchSemiTones(double semitones);

  // Feeds `frames` frames and replaces `out` with what the processor returns
  // (it keeps some back while it fills its window).
  void Process(const int16_t* samples, size_t frames, std::vector<int16_t>& out);
  // Hands out everything still held, at the end of the music.
  void Flush(std::vector<int16_t>& out);
  void Clear();

  class Engine;

 private:
  std::unique_ptr<Engine> m;
};

}  // namespace lf
