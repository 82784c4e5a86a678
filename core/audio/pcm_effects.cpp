#include "core/audio/pcm_effects.h"

#include <algorithm>
#include <cstdlib>

namespace lf {

void ApplyChannelMode(int16_t* samples, size_t frames, int channels, int mode) {
  if (channels != 2) return;
  for (size_t i = 0; i < frames; ++i) {
    int16_t& left = samples[2 * i];
    int16_t& right = samples[2 * i + 1];
    switch (mode) {
      case kChannelsLeftOnly:
        right = left;
        break;
      case kChannelsRightOnly:
        left = right;
        break;
      case kChannelsMixed:
        left = right = static_cast<int16_t>((static_cast<int>(left) + right) / 2);
        break;
      default:
        return;
    }
  }
}

void ApplyVolume(int16_t* samples, size_t count, int percent) {
  if (percent >= 100) return;
  const double gain = std::max(percent, 0) / 100.0;
  const double factor = gain * gain;
  for (size_t i = 0; i < count; ++i) samples[i] = static_cast<int16_t>(samples[i] * factor);
}

PeakLevels MeasurePeaks(const int16_t* samples, size_t frames, int channels) {
  PeakLevels peaks;
  if (channels <= 0) return peaks;
  for (size_t i = 0; i < frames; ++i) {
    const int16_t* frame = samples + i * static_cast<size_t>(channels);
    const int left = std::abs(static_cast<int>(frame[0]));
    peaks.left = std::max(peaks.left, left);
    peaks.all = std::max(peaks.all, left);
    for (int c = 1; c < channels; ++c) {
      const int v = std::abs(static_cast<int>(frame[c]));
      if (c == 1) peaks.right = std::max(peaks.right, v);
      peaks.all = std::max(peaks.all, v);
    }
  }
  return peaks;
}

}  // namespace lf
