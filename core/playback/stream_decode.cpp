#include "core/playback/stream_decode.h"

#include <algorithm>
#include <cmath>

#include "core/playback/cdg_decoder.h"
#include "core/playback/rw_renderer.h"

namespace lf {

size_t DecodeStreamPrefix(CdgRenderer& renderer, const uint8_t* stream, size_t size, size_t slotEnd) {
  const size_t slots = std::min(slotEnd, stream ? size / kPacketSize : 0);
  CdgDecoder decoder;
  decoder.DecodeSlots(stream, size, 0, slots, renderer);
  renderer.RefreshAll();
  return slots;
}

size_t SlotsBefore(double seconds) {
  if (!(seconds > 0)) return 0;
  // A decimal time such as 0.41 s is stored a hair below its value; the slack
  // keeps 0.41 x 300 at slot 123 rather than 122.
  const double slots = std::floor(seconds * kPacketsPerSecond + 1e-6);
  return slots >= 1e15 ? static_cast<size_t>(1e15) : static_cast<size_t>(slots);
}

}  // namespace lf
