#pragma once
// The audio of an export as a player hears it: `leadIn` frames of silence,
// the music, then `tail` frames of silence, read in whole sample frames.
#include <cstddef>
#include <cstdint>

#include "core/audio/pcm_source.h"

namespace lf {

class PaddedPcm {
 public:
  // `source` is open and outlives this reader.
  PaddedPcm(PcmSource& source, int64_t leadInFrames, int64_t tailFrames);

  int64_t TotalFrames() const { return m_total; }
  int64_t FramesRead() const { return m_read; }
  // Fills up to `frames` frames of `out` (room for frames x BlockAlign bytes);
  // returns the frames filled, fewer only at the end. A music file shorter
  // than it said is made up with silence, so the total always holds.
  std::size_t Read(uint8_t* out, std::size_t frames);

 private:
  PcmSource& m_source;
  int m_block;
  int m_silence;  // the byte value of silence: 128 for unsigned 8-bit PCM
  int64_t m_leadIn;
  int64_t m_musicEnd;
  int64_t m_total;
  int64_t m_read = 0;
};

}  // namespace lf
