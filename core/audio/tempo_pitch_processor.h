#pragma once
// Tempo and pitch change of 16-bit interleaved PCM (SoundTouch behind it;
// nothing else includes its headers).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace lf {

class TempoPitchProcessor {
 public:
  TempoPitchProcessor();
  ~TempoPitchProcessor();
  TempoPitchProcessor(const TempoPitchProcessor&) = delete;
  TempoPitchProcessor& operator=(const TempoPitchProcessor&) = delete;

  void SetFormat(int sampleRate, int channels);
  // Tempo change in percent (-50 plays at half speed), pitch in semitones.
  void SetTempoChange(double percent);
  void SetPitchSemiTones(double semitones);

  // Feeds `frames` frames and replaces `out` with what the processor returns
  // (it keeps some back while it fills its window).
  void Process(const int16_t* samples, size_t frames, std::vector<int16_t>& out);
  // Hands out everything still held, at the end of the music.
  void Flush(std::vector<int16_t>& out);
  void Clear();

 private:
  void Receive(std::vector<int16_t>& out);

  struct Impl;
  std::unique_ptr<Impl> m;
};

}  // namespace lf
