#pragma once
// Plain captions as SubRip (.srt): one numbered cue per line from its show
// to its erase. The format has no word times and no singers.
#include "core/export/lyric_file_lines.h"

namespace lf {

// Fixed lines are captions like any other.
LyricFileText FormatSrt(const TimedLyrics& lyrics);

}  // namespace lf
