#pragma once
// What the timing pages need of a player: start a range of the music (with
// or without graphics), stop, and tell the position the listener hears now.
// CdgTimingPlayer puts the CD+G player behind it; tests use a fake clock.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "core/cdg/shared_stream.h"
#include "core/platform/outcome.h"

namespace lf {

struct TimingPlaySource {
  std::string wavPath;    // the working music file
  SharedStream stream;    // the compiled song, or null for audio only
  size_t streamSize = 0;  // the bytes of it used (empty packets follow)
  int32_t leadIn = 0;     // silent frames before the music
};

class TimingPlayer {
 public:
  virtual ~TimingPlayer() = default;

  // Plays `source` from `start` to `end` (0 or less: the end of the music),
  // graphics too when `withGraphics`. False when the sound cannot start.
  virtual Outcome Play(const TimingPlaySource& source, bool withGraphics, int32_t start, int32_t end) = 0;
  // Stops and closes the music; no end notice follows.
  virtual void Stop() = 0;
  virtual bool IsPlaying() const = 0;
  // Sample frames the listener hears now, lead-in included: what was handed
  // to the sound output less its whole latency, mapped back through the tempo.
  virtual int32_t Position() const = 0;
  // True once a play ran to its end by itself (the stop event); the next Play clears it.
  virtual bool ReachedEnd() const = 0;
  // Percent, -75 to 0; the music plays slower with its pitch kept, from
  // the next chunk on (also while playing).
  virtual void SetTempoChange(int percent) = 0;
  // Called, possibly from the player's own thread, when a play reaches its end.
  virtual void SetEndNotice(std::function<void()> notice) = 0;
};

}  // namespace lf
