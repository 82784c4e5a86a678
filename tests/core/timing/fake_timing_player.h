#pragma once
// A player on a clock the test sets: the heard position is whatever the test
// says it is, and the end of the music happens when the test says so.
#include <functional>
#include <vector>

#include "core/timing/timing_player.h"

namespace lf::test {

struct PlayCall {
  bool withGraphics;
  int32_t start, end;
};

class FakeTimingPlayer : public TimingPlayer {
 public:
  Outcome Play(const TimingPlaySource& source, bool withGraphics, int32_t start, int32_t end) override {
    plays.push_back({withGraphics, start, end});
    lastSource = source;
    if (!soundWorks) return Outcome::Failure(Reason::Failed, "no sound device", "Sound Device Not Detected");
    playing = true;
    reachedEnd = false;
    position = start;
    return Outcome::Success();
  }
  void Stop() override { playing = false; }
  bool IsPlaying() const override { return playing; }
  int32_t Position() const override { return position; }
  bool ReachedEnd() const override { return reachedEnd; }
  void SetTempoChange(int percent) override { tempoChange = percent; }
  void SetEndNotice(std::function<void()> notice) override { endNotice = std::move(notice); }

  // The music ran out (or reached the play's end) by itself.
  void Finish() {
    playing = false;
    reachedEnd = true;
    if (endNotice) endNotice();
  }

  bool soundWorks = true;
  bool playing = false;
  bool reachedEnd = false;
  int32_t position = 0;
  int tempoChange = 0;
  TimingPlaySource lastSource;
  std::vector<PlayCall> plays;
  std::function<void()> endNotice;
};

}  // namespace lf::test
