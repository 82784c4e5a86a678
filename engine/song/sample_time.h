#pragma once
// Times of lyrics: sample frames of the working music file, 0 = not placed.
#include <cstdint>

#include "engine/cdg/cdg_packet.h"

namespace lf {

using SampleTime = int32_t;

// Sample frames per CD+G packet at `rate`; a missing rate counts as 44100.
inline constexpr int SamplesPerPacket(int rate) {
  return (rate > 0 ? rate : kDefaultSampleRate) / kPacketsPerSecond;
}

// Byte offset of a sample time in a packet stream (24 bytes per packet).
inline constexpr int64_t StreamOffsetOf(int64_t time, int samplesPerPacket) {
  return (time / samplesPerPacket) * kPacketSize;
}

// Sample time of a stream byte offset.
inline constexpr int64_t SampleTimeOf(int64_t offset, int samplesPerPacket) {
  return offset * samplesPerPacket / kPacketSize;
}

// Palette indices with a fixed role in lyrics pages.
inline constexpr int ColorIndexFixed = 8;
inline constexpr int ColorIndexSinger2 = 9;
inline constexpr int ColorIndexDuet = 10;
inline constexpr int ColorIndexBorder = 11;
inline constexpr int ColorIndexSinger1 = 12;
inline constexpr int ColorIndexOutline = 13;
inline constexpr int ColorIndexSweep = 14;
inline constexpr int ColorIndexBackground = 15;

}  // namespace lf
