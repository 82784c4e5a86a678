#include "engine/playback/stream_decode.h"

#include <algorithm>
#include <cmath>

#include "engine/playback/rw_player.h"
#include "engine/playback/rw_renderer.h"

namespace lf {

size_t DecodeStreamPrefix(MRwRenderer& renderer, const uint8_t* stream, size_t size, size_t slotEnd) {
  const size_t slots = std::min(slotEnd, stream ? size / kPacketSize : 0);
  // A player decodes through its own decoder so that colour tables load only when changed.
  MRwPlayer player(&renderer);
  const bool held = renderer.HoldDisplay();
  renderer.SetHoldDisplay(true);
  for (size_t k = 0; k < slots; ++k) {
    const uint8_t* bytes = stream + k * kPacketSize;
    if ((bytes[0] & kSixBitMask) == kTvGraphics) player.DecodePacket(PacketAt(bytes));
  }
  renderer.SetHoldDisplay(held);
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
