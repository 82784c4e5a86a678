#pragma once
// What the lyric and subtitle writers share: which lines a file carries, when
// a line is on screen, the singers' names and how a writer hands back its text.
#include <optional>
#include <string>
#include <vector>

#include "core/lyrics/timed_lyrics.h"

namespace lf {

// A written file's text, and the fixed (unsung) lines a format without
// unsung text left out, for the export's note.
struct LyricFileText {
  std::string text;
  int fixedLinesLeftOut = 0;
};

struct ShownSpan {
  Millis begin = 0;
  Millis end = 0;
};

// A sung line: not fixed, with at least one timed word.
bool IsSungLine(const TimedLine& line);

// When the line is on screen: from its show to its erase as the CD+G screen
// draws it, never ending before its last word is sung; from its first to its
// last sung word when the song was not compiled. None for a line with neither.
std::optional<ShownSpan> ShownWindow(const TimedLine& line);

// A caption: a line with the window it is shown in.
struct CaptionCue {
  ShownSpan span;
  const TimedLine* line = nullptr;
};

// The captions of the sung and fixed lines that have a window, in the order
// they are shown (lines shown together keep the song's order).
std::vector<CaptionCue> CaptionCues(const TimedLyrics& lyrics);

// The singer's name as the song labels it, or "Singer 1", "Singer 2", "Both".
std::string SingerName(const TimedLyrics& lyrics, Singer singer);

// Text with its control characters (line ends, tabs, ...) dropped: every
// format keeps one line's text on one line.
std::string WithoutControls(const std::string& text);

}  // namespace lf
