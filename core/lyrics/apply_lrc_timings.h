#pragma once
// Copies the times of an LRC file onto the song's words, so that a song
// imported from LRC starts out placed.
#include "core/lyrics/lrc_file.h"
#include "core/song/karaoke_line_list.h"
#include "core/song/song.h"

namespace lf {

// The earliest time a placed word can have: 0 means "not placed".
inline constexpr SampleTime kFirstPlacedFrame = 1;

// Milliseconds of music as sample frames at `rate`, rounded once to the
// nearest frame; below 0 counts as 0, and the result saturates.
SampleTime MillisToFrames(int64_t ms, int rate);

// Karaoke line i takes LRC line i and its j-th word takes element j, both by
// position: the line is marked placed, the word takes the element's start
// and end (milliseconds to sample frames at `sampleRate`; a word at 0 takes
// the first frame) and the characters where the element's text is found in
// the line (searching on from the previous word). Lines and words without a
// counterpart keep what they had, and so do the characters of a word whose
// element text is not found in the line. With `latest` (a sample time, 0 for
// no bound) an LRC line with a time past it is not copied: its karaoke line
// is left untimed. Returns how many lines were left so.
int ApplyLrcTimings(const LrcFile& lrc, KaraokeLineList& lines, int sampleRate = kDefaultSampleRate,
                    SampleTime latest = 0);

// The same on the song's lines, after the song has laid out the imported
// text, at the song's sample rate; marks the song modified.
void ApplyLrcTimings(const LrcFile& lrc, Song& song);

}  // namespace lf
