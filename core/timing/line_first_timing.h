#pragma once
// Line-first timing: the author taps only where each line begins (and, if
// they like, where it ends); the program spreads the line's words over it by
// how long each takes to sing and moves their starts onto the voice. A line
// that repeats an earlier one takes that line's rhythm and is marked for
// review. What comes out is ordinary word times.
#include <vector>

#include "core/platform/outcome.h"
#include "core/song/sample_time.h"
#include "core/timing/voice_onsets.h"
#include "core/timing/voice_snap.h"

namespace lf {

class Song;

struct LineTap {
  SampleTime start = 0;
  SampleTime end = 0;  // 0: not tapped; the line ends by itself
};

struct LineFirstOptions {
  bool snap = true;  // onto the voice's onsets, when there are any
  int windowMs = kDefaultSnapWindowMs;
  bool copyRepeatedLines = true;
};

// The lines the author taps, in order: lines with words, singer-2 lines of
// a duet left out (they follow the line before them).
std::vector<int> TappedLines(const Song& song);

// Times the first taps.size() tapped lines from their taps, as one undo step.
// Refused, with nothing changed, for more taps than lines or taps out of order.
Outcome TimeLinesFromTaps(Song& song, const std::vector<LineTap>& taps, const VoicePart& voice, int sampleRate,
                          const LineFirstOptions& options = {});

}  // namespace lf
