#pragma once
// The millisecond clock that the players follow where no sound device sets
// the pace. Tests hand in a ManualClock and move time themselves.
#include <atomic>
#include <cstdint>

namespace lf {

class PlaybackClock {
 public:
  virtual ~PlaybackClock() = default;
  virtual int64_t NowMs() const = 0;
};

// std::chrono::steady_clock; shared, lives for the whole run.
const PlaybackClock& SteadyPlaybackClock();

// Stands still until moved; safe to move from one thread while players read it.
class ManualClock : public PlaybackClock {
 public:
  int64_t NowMs() const override { return m_now; }
  void Advance(int64_t ms) { m_now += ms; }

 private:
  std::atomic<int64_t> m_now{0};
};

}  // namespace lf
