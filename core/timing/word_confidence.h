#pragma once
// How far a timed word can be trusted, from what can be measured: how near
// its start lies to a clear onset of the voice, whether the voice sets in
// there rather than sounding on through it, whether it is implausibly
// short or long, whether it overlaps or precedes the word before it, and
// whether the program rather than a tap timed it or its tap was taken back
// and made again. Words below kUnsureBelow
// are the ones an author should listen to again.
#include <string>
#include <vector>

#include "core/song/song_problem.h"
#include "core/timing/voice_onsets.h"

namespace lf {

class SongLyrics;

inline constexpr float kUnsureBelow = 0.5f;
inline constexpr const char* kUnsureKind = "unsure";

struct WordConfidence {
  float confidence = 1;  // 0..1
  std::string doubt;     // the weightiest reason, empty when there is none
};

// One per word of the song; unplaced words count as sure (the check reports them otherwise).
std::vector<WordConfidence> RateWordTimes(const SongLyrics& lyrics, const VoicePart& voice, int sampleRate);

// The first unsure word after `after`, going round to the start; -1 when none.
int NextUnsureWord(const std::vector<WordConfidence>& rated, int after);

// The unsure words as warnings of kind "unsure", for the check before export.
SongProblems UnsureWordProblems(const SongLyrics& lyrics, const std::vector<WordConfidence>& rated);
// Adds them to `problems`, leaving out words a problem there already names.
void AddUnsureWords(SongProblems& problems, const SongLyrics& lyrics, const std::vector<WordConfidence>& rated);

}  // namespace lf
