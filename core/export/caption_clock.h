#pragma once
// Times as the lyric and subtitle formats write them.
#include <string>

#include "core/lyrics/timed_lyrics.h"

namespace lf {

enum class ClockStyle {
  kHoursMillis,       // 00:01:02.345 (WebVTT, TTML)
  kHoursCommaMillis,  // 00:01:02,345 (SRT)
  kAssCentis,         // 0:01:02.35 (ASS)
  kMinutesCentis,     // 01:02.35 (LRC line tags)
  kMinutesMillis,     // 01:02.345 (LRC word tags)
  kMinutesSeconds,    // 01:02 (LRC length)
};

// `t` (clamped to 0) in `style`, rounded to the style's last digit.
std::string ClockText(Millis t, ClockStyle style);

// Centiseconds nearest to `t`: the unit ASS counts in.
inline int64_t Centis(Millis t) { return (t < 0 ? 0 : t + 5) / 10; }

}  // namespace lf
