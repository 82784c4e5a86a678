#pragma once
// A fixed gain on PCM as it is read for an encoder: every sample multiplied,
// rounded to the nearest value, and held inside its range.
#include <cstddef>
#include <cstdint>

#include "core/audio/pcm_source.h"

namespace lf {

// 1 leaves the samples as they are.
inline constexpr double kUnityGain = 1.0;

// Scales the whole samples of `bytes` bytes of `format` PCM in place (8-bit
// unsigned around 128, 16-bit signed little-endian); a partial sample at the
// end is left alone.
void ApplyPcmGain(uint8_t* data, std::size_t bytes, const PcmFormat& format, double gain);

}  // namespace lf
