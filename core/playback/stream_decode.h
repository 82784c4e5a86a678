#pragma once
// Decoding the start of a packet stream at once, as a player started late
// does: every slot below `slotEnd`, unseen, then one full refresh.
#include <cstddef>
#include <cstdint>

namespace lf {

class CdgRenderer;

// Decodes slots 0 .. min(slotEnd, stream slots) - 1 into `renderer`.
// Returns the number of slots decoded.
size_t DecodeStreamPrefix(CdgRenderer& renderer, const uint8_t* stream, size_t size, size_t slotEnd);

// The slot count that a position in seconds stands for: floor(300 x seconds),
// 0 for negative or not-a-number values.
size_t SlotsBefore(double seconds);

}  // namespace lf
