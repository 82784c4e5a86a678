#pragma once
// Places words by key presses on the Place page's session and its real
// player, on whatever sound output this process has, and holds each placed
// time against the music the listener heard at the press.
//
// The music is a click track. On the sound server the truth is the sink's
// monitor: recorded alongside, each click's capture time (the recording's
// own latency allowed for) says when it was heard, and so which music was
// heard at any moment. Elsewhere (the dummy driver, its own clock) only the
// spread of the errors about their median can be told.
#include <optional>
#include <string>

namespace lf::test {

struct HeardTimeFigures {
  std::string output;    // "sound server" or SDL's driver
  double latencyMs = 0;  // the output latency the device told
  double medianMs = 0;   // of |placed - heard|
  double worstMs = 0;
  int taps = 0;
  int clicksHeard = 0;  // in the monitor recording (0 without one)
  double startMs = 0;   // from Start until a tenth of a second of music was heard
};

// Taps for `seconds` of the author's time at `percent` tempo; `monitor`
// names the source to record the truth from (empty: none). Nothing on failure,
// with `error` saying why.
std::optional<HeardTimeFigures> MeasureHeardTime(int percent, double seconds, const std::string& monitor,
                                                 std::string* error);

}  // namespace lf::test
