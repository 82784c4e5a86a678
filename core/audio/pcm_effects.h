#pragma once
// What the CD+G player does to each chunk of 16-bit interleaved samples before
// it reaches the sound device: channel selection, volume and level metering.
#include <cstddef>
#include <cstdint>

namespace lf {

enum ChannelMode : int {
  kChannelsAsRecorded = 0,  // 0 and 1 leave the samples alone
  kChannelsStereo = 1,
  kChannelsLeftOnly = 2,   // the left channel on both sides
  kChannelsRightOnly = 3,  // the right channel on both sides
  kChannelsMixed = 4,      // both sides carry the average of the two
};

// Applies `mode` to stereo frames; other channel counts are left as they are.
void ApplyChannelMode(int16_t* samples, size_t frames, int channels, int mode);

// Scales every sample by (percent / 100)^2, the ear's sense of loudness;
// 100 and above leave the samples alone.
void ApplyVolume(int16_t* samples, size_t count, int percent);

struct PeakLevels {
  int all = 0;    // largest absolute sample of any channel
  int right = 0;  // of channel 1
  int left = 0;   // of channel 0
};
PeakLevels MeasurePeaks(const int16_t* samples, size_t frames, int channels);

}  // namespace lf
