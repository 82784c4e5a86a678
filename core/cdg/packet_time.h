#pragma once
// Sample frames and packet slots. A stream plays 300 packets a second at any
// sample rate, and 300 does not divide every rate (22,050 Hz is 73.5 frames
// a packet), so conversions go through frames x 300 / rate in integers and
// round once, down; at 44,100 Hz they equal frames / 147 exactly.
#include <cstdint>

#include "core/cdg/cdg_packet.h"

namespace lf {

// A missing rate counts as 44,100 Hz.
inline constexpr int64_t KnownSampleRate(int rate) { return rate > 0 ? rate : kDefaultSampleRate; }

// The packet slot that sounds at sample frame `frames`.
inline constexpr int64_t PacketSlotAt(int64_t frames, int rate) {
  return frames * kPacketsPerSecond / KnownSampleRate(rate);
}

// The first sample frame of packet slot `slot`.
inline constexpr int64_t SampleFrameOfSlot(int64_t slot, int rate) {
  return slot * KnownSampleRate(rate) / kPacketsPerSecond;
}

// Byte offset in a packet stream of the slot sounding at `frames`.
inline constexpr int64_t StreamOffsetAt(int64_t frames, int rate) { return PacketSlotAt(frames, rate) * kPacketSize; }

// Sample frame at stream byte offset `offset`.
inline constexpr int64_t SampleFrameAtOffset(int64_t offset, int rate) {
  return offset * KnownSampleRate(rate) / kStreamBytesPerSecond;
}

}  // namespace lf
