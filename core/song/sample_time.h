#pragma once
// Times of lyrics: sample frames of the working music file, 0 = not placed.
#include <cstdint>

#include "core/cdg/cdg_packet.h"
#include "core/cdg/packet_time.h"

namespace lf {

using SampleTime = int32_t;

// Whole sample frames per CD+G packet at `rate` (rate / 300, what music
// preparation reports); a missing rate counts as 44100. Times become slots
// through packet_time.h, which stays exact where 300 does not divide the rate.
inline constexpr int SamplesPerPacket(int rate) { return (rate > 0 ? rate : kDefaultSampleRate) / kPacketsPerSecond; }

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
