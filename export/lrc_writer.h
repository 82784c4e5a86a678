#pragma once
// "Create Lyric File (.lrc file)": the song's timed lines as LRC text.
// Simple: one [mm:ss.xx] tag per line, at its first sung word. Enhanced: as
// simple, plus a <mm:ss.xx> tag before every word and one closing the line
// just after the last hundredth of its last word.
#include <string>

#include "engine/song/karaoke_line_list.h"

namespace lf {

enum class LrcStyle { None, Simple, Enhanced };

struct LrcHeader {
  std::string artist;  // [ar:]
  std::string title;   // [ti:]
  // Silence put before the music in the exported audio; written as an [offset:]
  // in milliseconds so players line the times up with that audio, while the
  // times themselves stay the song's own.
  int leadInFrames = 0;
};

// "mm:ss.xx" of a sample time at `sampleRate` (hundredths truncated).
std::string LrcTimeText(int64_t sampleTime, int sampleRate);

// LRC text of the placed lines (lines without a placed word are left out),
// with "\n" line ends.
std::string FormatLrc(const KaraokeLineList& lines, LrcStyle style, const LrcHeader& header, int sampleRate);

// Writes FormatLrc to `path`; false when it cannot be written completely.
bool WriteLrcFile(const std::string& path, const std::string& text);

}  // namespace lf
