#pragma once
// The song's settings block: fourteen fields, stored as the first 52 bytes of
// a project file.
#include <cstdint>

namespace lf {

inline constexpr int32_t kProjectVersion = 601;

struct SongSettingsBlock {
  int32_t version = kProjectVersion;
  int32_t singerMode = 1;  // 1 solo, 2 duet; duet is any value above 1
  int32_t linesPerPage = 4;
  uint32_t sweepMode = 0;  // 0 recolours the text, 1 boxes it in the sweep colour
  int32_t sweepColorIndex = 14;
  int32_t sweepAdvance = -20;       // hundredths of a second, -500..0
  uint8_t playBeforeInSeconds = 0;  // loop area before a word: 1 seconds, 0 words
  int32_t playBeforeAmount = 3000;  // thousandths of that unit
  uint8_t playAfterInSeconds = 0;
  int32_t playAfterAmount = 3000;
  int32_t adjustStep = 200;  // milliseconds per adjust key press
  int32_t reserved1 = 0;
  uint8_t loopPlay = 0;
  uint8_t reserved2 = 0;

  bool IsDuet() const { return singerMode > 1; }
  bool operator==(const SongSettingsBlock&) const = default;
};

}  // namespace lf
