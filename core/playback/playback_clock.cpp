#include "core/playback/playback_clock.h"

#include <chrono>

namespace lf {

namespace {
class SteadyClock : public PlaybackClock {
 public:
  int64_t NowMs() const override {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
  }
};
}  // namespace

const PlaybackClock& SteadyPlaybackClock() {
  static const SteadyClock clock;
  return clock;
}

}  // namespace lf
