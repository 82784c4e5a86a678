#pragma once
// Captions as WebVTT: one cue per line from its show to its erase, the
// singer as the cue's voice in a duet, and an inline timestamp before every
// word sung after the cue begins, so players that support karaoke cues
// highlight the words.
#include "core/export/lyric_file_lines.h"

namespace lf {

// Fixed lines are captions without timestamps.
LyricFileText FormatWebVtt(const TimedLyrics& lyrics);

}  // namespace lf
