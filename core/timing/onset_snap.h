#pragma once
// Snap: a word's start moved onto the strongest onset near it, as one nudge.
#include <vector>

#include "core/song/sample_time.h"
#include "core/timing/onset_detector.h"

namespace lf {

class Song;

// How far from the start an onset may lie and still be snapped to.
inline constexpr int kSnapReachMs = 150;

// Moves word `word`'s start to the strongest of `onsets` within 150 ms of
// it, under the neighbour rules of the start nudges. False (nothing
// changes) when the word does not exist or no onset is near.
bool SnapWordStart(Song& song, int word, const std::vector<Onset>& onsets, int sampleRate);

}  // namespace lf
