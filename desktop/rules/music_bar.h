#pragma once
// The arithmetic of the Edit Lyrics page's music bar: a slider counted in
// CD+G packets, arrow keys moving 3 seconds and page keys 15, and the
// "elapsed/total" time label.
#include <cstdint>
#include <string>

namespace lf {

struct MusicBarScale {
  int range = 0;           // slider maximum in packets (minimum 0)
  int lineStep = 0;        // packets in 3 seconds
  int pageStep = 0;        // packets in 15 seconds
  int totalSeconds = 0;    // playing time of the music in whole seconds
  int sampleRate = 44100;  // the music's; slider packets are its frames x 300 / rate

  // Music of `musicBytes` bytes of sample data; a zero frame size or rate gives no range.
  static MusicBarScale For(uint64_t musicBytes, int bytesPerFrame, int sampleRate, int totalSeconds);

  // Slider position of a play position in sample frames, and back.
  int SliderAt(int64_t sampleFrames) const;
  int64_t FramesAt(int sliderPosition) const;
  // Elapsed whole seconds shown for a slider position (rounded to nearest).
  int SecondsAt(int sliderPosition) const;
  // "%d:%02d/%d:%02d", or "0:00/0:00" when there is no range.
  std::string TimeLabel(int sliderPosition) const;
};

// Seconds as "m:ss".
std::string MinutesSeconds(int seconds);

}  // namespace lf
