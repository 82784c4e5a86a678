#pragma once
// Words spread over a span by how long they take to sing: a word's share
// grows with its letters, a syllable joined to the next word gets no pause
// after it. What line-first timing does before it listens to the music.
#include "core/song/sample_time.h"

namespace lf {

class SongLyrics;

// No word is timed shorter than this.
inline constexpr int kMinWordMs = 60;
// The breath after a word, counted in letters.
inline constexpr double kPauseWeight = 2.0;

// The relative time word `word` takes: its letters and digits, plus a pause
// when a space follows it.
double WordWeight(const SongLyrics& lyrics, int word);

// Gives words first..last starts in order over [start, end), each ending
// where the next begins and the last at `end` (no pause is counted after
// it); every word gets at least
// kMinWordMs when the span allows it.
void SpreadWords(SongLyrics& lyrics, int first, int last, SampleTime start, SampleTime end, int sampleRate);

}  // namespace lf
