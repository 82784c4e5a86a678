#pragma once
// Subtitle karaoke as Advanced SubStation Alpha: one style per singer in the
// lyrics page's font and colours, one Dialogue per line from when the CD+G
// screen shows it to its erase, and a {\k} run (centiseconds) before every
// word or syllable, gaps as empty runs, so a player highlights each word as
// it is sung.
#include "core/export/lyric_file_lines.h"

namespace lf {

struct AssOptions {
  bool sweep = false;  // {\kf}: each word fills from left to right instead of changing at once
};

// Fixed lines are written unsung, in the "Fixed" style, when they have a
// screen window.
LyricFileText FormatAss(const TimedLyrics& lyrics, const AssOptions& options = {});

// A word as Dialogue text: braces escaped (\{ \}), and a word joiner after a
// backslash that would otherwise start an escape (\N, \n, \h, \{, \}).
std::string AssText(const std::string& word);

}  // namespace lf
