// The sample operations of the CD+G player's chunks.
#include "core/audio/pcm_effects.h"

#include <gtest/gtest.h>

#include <vector>

namespace lf {
namespace {

TEST(PcmEffectsTest, ChannelModes) {
  std::vector<int16_t> s = {1000, -1000, 300, 500};
  ApplyChannelMode(s.data(), 2, 2, kChannelsMixed);
  EXPECT_EQ(s, (std::vector<int16_t>{0, 0, 400, 400}));
  s = {1000, -1000};
  ApplyChannelMode(s.data(), 1, 2, kChannelsLeftOnly);
  EXPECT_EQ(s, (std::vector<int16_t>{1000, 1000}));
  s = {1000, -1000};
  ApplyChannelMode(s.data(), 1, 2, kChannelsRightOnly);
  EXPECT_EQ(s, (std::vector<int16_t>{-1000, -1000}));
  for (int mode : {0, 1}) {
    s = {1000, -1000};
    ApplyChannelMode(s.data(), 1, 2, mode);
    EXPECT_EQ(s, (std::vector<int16_t>{1000, -1000}));
  }
  s = {1000, -1000, 7};  // three channels: left alone
  ApplyChannelMode(s.data(), 1, 3, kChannelsMixed);
  EXPECT_EQ(s, (std::vector<int16_t>{1000, -1000, 7}));
  s = {32767, 32767, -32768, -32768};  // the average of extremes does not overflow
  ApplyChannelMode(s.data(), 2, 2, kChannelsMixed);
  EXPECT_EQ(s, (std::vector<int16_t>{32767, 32767, -32768, -32768}));
}

TEST(PcmEffectsTest, VolumeIsSquared) {
  std::vector<int16_t> s = {4000, -4000, 32767};
  ApplyVolume(s.data(), s.size(), 50);
  EXPECT_EQ(s, (std::vector<int16_t>{1000, -1000, 8191}));
  s = {4000};
  ApplyVolume(s.data(), 1, 100);
  EXPECT_EQ(s[0], 4000);
  ApplyVolume(s.data(), 1, 0);
  EXPECT_EQ(s[0], 0);
}

TEST(PcmEffectsTest, PeaksPerChannel) {
  const std::vector<int16_t> s = {-300, 20, 100, -32768};
  const PeakLevels p = MeasurePeaks(s.data(), 2, 2);
  EXPECT_EQ(p.left, 300);
  EXPECT_EQ(p.right, 32768);
  EXPECT_EQ(p.all, 32768);
  const PeakLevels mono = MeasurePeaks(s.data(), 4, 1);
  EXPECT_EQ(mono.left, 32768);
  EXPECT_EQ(mono.right, 0);
}

}  // namespace
}  // namespace lf
