#include "core/audio/pcm_gain.h"

#include <algorithm>
#include <cmath>

namespace lf {

void ApplyPcmGain(uint8_t* data, std::size_t bytes, const PcmFormat& format, double gain) {
  if (gain == kUnityGain || data == nullptr) return;
  if (format.bits == 8) {
    for (std::size_t i = 0; i < bytes; ++i) {
      const long scaled = std::clamp(std::lround((data[i] - 128) * gain), -128L, 127L);
      data[i] = static_cast<uint8_t>(scaled + 128);
    }
    return;
  }
  for (std::size_t i = 0; i + 1 < bytes; i += 2) {
    const auto sample = static_cast<int16_t>(data[i] | (data[i + 1] << 8));
    const auto scaled = static_cast<uint16_t>(std::clamp(std::lround(sample * gain), long{INT16_MIN}, long{INT16_MAX}));
    data[i] = static_cast<uint8_t>(scaled & 0xFF);
    data[i + 1] = static_cast<uint8_t>(scaled >> 8);
  }
}

}  // namespace lf
