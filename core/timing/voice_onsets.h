#pragma once
// Onsets of the voice alone, as far as the mix lets us hear it: a singer is
// usually mixed to the centre, so the side (left minus right) spectrum is
// taken off the centre (mid) spectrum, and only the vocal band is kept. The
// voice signal left over is what the onset detector listens to. A mono file
// has no side; its vocal band is all there is to go on.
#include <cstddef>
#include <memory>
#include <vector>

#include "core/timing/onset_detector.h"

namespace lf {

// What is heard of the voice: where it sets in, and how loud it is, one
// level (the RMS of the separated voice) per kHop frames from the first.
struct VoicePart {
  static constexpr int kHop = 512;
  std::vector<Onset> onsets;  // in frame order
  std::vector<float> levels;

  // The last frame in [from, to) where the voice is at least `share` of its
  // loudest there; -1 when it is never that loud.
  int64_t LastSoundingFrame(int64_t from, int64_t to, float share) const;
};

// How much of the side spectrum is taken off the centre.
inline constexpr float kSideWeight = 1.5f;
inline constexpr float kVoiceLowHz = 200.0f;
inline constexpr float kVoiceHighHz = 4000.0f;

class VoiceOnsetDetector {
 public:
  explicit VoiceOnsetDetector(int sampleRate);
  ~VoiceOnsetDetector();
  VoiceOnsetDetector(const VoiceOnsetDetector&) = delete;
  VoiceOnsetDetector& operator=(const VoiceOnsetDetector&) = delete;

  // Frames in -1..1, in order; `right` is null for mono music.
  void Push(const float* left, const float* right, size_t frames);
  // Onsets and levels in frames of the music (the separation's delay taken off).
  VoicePart Part() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> m;
};

}  // namespace lf
