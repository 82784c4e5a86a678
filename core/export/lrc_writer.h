#pragma once
// "Create Lyric File (.lrc file)": the song's timed lines as LRC text.
// Simple: one [mm:ss.xx] tag per line, at its first sung word. Enhanced: as
// simple, plus a <mm:ss.xxx> tag (to the millisecond, so that a word read back
// lands on the same packet) before every word and one closing the line just
// after the last hundredth of its last word.
#include <string>

#include "core/song/karaoke_line_list.h"

namespace lf {

enum class LrcStyle { None, Simple, Enhanced };

struct LrcHeader {
  std::string artist;  // [ar:]
  std::string title;   // [ti:]
  // Silence put before the music in the exported audio. Every time is written
  // on that audio's timeline (later by the lead-in), with no [offset:], so
  // every reader lines the lyrics up with the audio the same way.
  int leadInFrames = 0;
};

// "mm:ss.xx" of a sample time at `sampleRate` (to the nearest hundredth), or
// with `fractionDigits` 3 "mm:ss.xxx" (to the nearest millisecond).
std::string LrcTimeText(int64_t sampleTime, int sampleRate, int fractionDigits = 2);

// LRC text of the placed lines (lines without a placed word are left out),
// with "\n" line ends.
std::string FormatLrc(const KaraokeLineList& lines, LrcStyle style, const LrcHeader& header, int sampleRate);

// Writes FormatLrc to `path`; false when it cannot be written completely.
bool WriteLrcFile(const std::string& path, const std::string& text);

}  // namespace lf
