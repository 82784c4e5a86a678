#pragma once
// OutputTimeline: which frame of the music each frame written to the sound
// device stands for. Slowed playback writes more frames than it reads, and
// the tempo may change while playing; each write appends a span, and the
// heard device frame is looked up in them. Not thread-safe: the player holds
// its position lock around every call.
#include <cstdint>
#include <deque>

namespace lf {

class OutputTimeline {
 public:
  // Device frame 0 stands for music frame `start`.
  void Reset(double start);
  // The next `deviceFrames` written stand for `musicFrames` of the music.
  void Append(uint64_t deviceFrames, double musicFrames);
  // The music frame that device frame `frame` stands for: interpolated in
  // its span; the end of the last span once past it.
  double MusicAt(uint64_t frame) const;
  // Spans that end at or before `frame` are dropped (the one holding it stays).
  void Forget(uint64_t frame);

 private:
  struct Span {
    uint64_t deviceStart, deviceFrames;
    double musicStart, musicFrames;
  };
  std::deque<Span> m_spans;
  uint64_t m_deviceEnd = 0;
  double m_musicEnd = 0;
};

}  // namespace lf
