#pragma once
// The Adjust Lyrics corrections: a word's start or end moved by one step,
// never past its neighbours, and the play area looped around a word.
#include <optional>

#include "core/song/sample_time.h"

namespace lf {

class Song;
struct SongSettingsBlock;

// The adjust step in sample frames: milliseconds / 1000 in single precision
// times the rate, truncated (8820 for the default 200 ms at 44,100 Hz).
SampleTime AdjustStepFrames(const SongSettingsBlock& settings, int sampleRate);

// Each moves word `word` by `step` frames and marks the song changed;
// nothing happens for a word that does not exist.
void NudgeStartEarlier(Song& song, int word, SampleTime step);
void NudgeStartLater(Song& song, int word, SampleTime step);
void NudgeEndEarlier(Song& song, int word, SampleTime step);
void NudgeEndLater(Song& song, int word, SampleTime step);

struct PlayAreaSpan {
  SampleTime start = 0;
  std::optional<SampleTime> end;  // none: to the end of the music
};

// The part of the song looped around word `word`: the play-before and
// play-after amounts, each in words or seconds. With `areaOn` false the
// span starts at the word (0 without one) and has no end.
PlayAreaSpan PlayArea(const Song& song, int word, bool areaOn, int sampleRate);

}  // namespace lf
