#include "lyrics/music_bar.h"

#include <algorithm>
#include <cstdio>

#include "engine/cdg/cdg_packet.h"

namespace lf {

MusicBarScale MusicBarScale::For(uint64_t musicBytes, int bytesPerFrame, int sampleRate, int totalSeconds) {
  MusicBarScale scale;
  if (bytesPerFrame <= 0 || sampleRate < kPacketsPerSecond) return scale;
  scale.samplesPerPacket = sampleRate / kPacketsPerSecond;
  const uint64_t packets = musicBytes / static_cast<uint64_t>(bytesPerFrame) / scale.samplesPerPacket;
  scale.range = static_cast<int>(std::min<uint64_t>(packets, INT32_MAX));
  const int packetsPerSecond = sampleRate / scale.samplesPerPacket;
  scale.lineStep = 3 * packetsPerSecond;
  scale.pageStep = 15 * packetsPerSecond;
  scale.totalSeconds = std::max(totalSeconds, 0);
  return scale;
}

int MusicBarScale::SliderAt(int64_t sampleFrames) const {
  if (sampleFrames <= 0) return 0;
  return static_cast<int>(std::min<int64_t>(sampleFrames / samplesPerPacket, range));
}

int64_t MusicBarScale::FramesAt(int sliderPosition) const {
  return static_cast<int64_t>(std::clamp(sliderPosition, 0, range)) * samplesPerPacket;
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
