#include "desktop/rules/music_bar.h"

#include <algorithm>
#include <cstdio>

#include "core/cdg/packet_time.h"

namespace lf {

MusicBarScale MusicBarScale::For(uint64_t musicBytes, int bytesPerFrame, int sampleRate, int totalSeconds) {
  MusicBarScale scale;
  if (bytesPerFrame <= 0 || sampleRate < kPacketsPerSecond) return scale;
  scale.sampleRate = sampleRate;
  const int64_t packets =
      PacketSlotAt(static_cast<int64_t>(musicBytes / static_cast<uint64_t>(bytesPerFrame)), sampleRate);
  scale.range = static_cast<int>(std::min<int64_t>(packets, INT32_MAX));
  scale.lineStep = 3 * kPacketsPerSecond;
  scale.pageStep = 15 * kPacketsPerSecond;
  scale.totalSeconds = std::max(totalSeconds, 0);
  return scale;
}

int MusicBarScale::SliderAt(int64_t sampleFrames) const {
  if (sampleFrames <= 0) return 0;
  return static_cast<int>(std::min<int64_t>(PacketSlotAt(sampleFrames, sampleRate), range));
}

int64_t MusicBarScale::FramesAt(int sliderPosition) const {
  return SampleFrameOfSlot(std::clamp(sliderPosition, 0, range), sampleRate);
}

int MusicBarScale::SecondsAt(int sliderPosition) const {
  if (range <= 0) return 0;
  const int64_t scaled = static_cast<int64_t>(std::clamp(sliderPosition, 0, range)) * totalSeconds;
  return static_cast<int>((scaled + range / 2) / range);
}

std::string MinutesSeconds(int seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%d:%02d", seconds / 60, seconds % 60);
  return text;
}

std::string MusicBarScale::TimeLabel(int sliderPosition) const {
  if (range <= 0) return "0:00/0:00";
  return MinutesSeconds(SecondsAt(sliderPosition)) + "/" + MinutesSeconds(totalSeconds);
}

}  // namespace lf
