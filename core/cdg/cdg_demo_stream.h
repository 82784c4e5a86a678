#pragma once
// A short synthetic packet stream that shows every kind of instruction the
// generator writes: colour tables, presets, a page of tiles, an XOR sweep and
// a scroll. Used by `make run` and as a fixture.
#include <cstdint>
#include <vector>

namespace lf {

// About 3.3 seconds (1000 slots).
std::vector<uint8_t> MakeDemoStream();

}  // namespace lf
