#pragma once
// Word starts moved onto the voice: each start goes to a vocal onset near
// it, words stay in order and no word becomes shorter than kMinWordMs.
// Words that find no onset are spread again between the ones that did.
#include <vector>

#include "core/timing/onset_detector.h"

namespace lf {

class Song;

inline constexpr int kDefaultSnapWindowMs = 120;

struct VoiceSnapOptions {
  int windowMs = kDefaultSnapWindowMs;  // how far an onset may lie from a start
  bool respreadUnsnapped = true;        // words between snapped ones follow them
  // Words whose start a tap gave: they move onto onsets but are never
  // spread again (the first word of each line in line-first timing).
  std::vector<bool> anchored;
};

// Puts the words after the first of first..last (one line, its first word
// placed) on onsets of `onsets` before `lineEnd`, in order, so that the gaps
// between them follow the words' lengths at the line's own pace; a word left
// without an onset costs as much as a gap `missMs` off, and is spread again
// between its neighbours. Answers how many found one.
int AlignWordsToOnsets(Song& song, int first, int last, const std::vector<Onset>& onsets, int64_t lineEnd,
                       int sampleRate, double missMs = 250);

// Snaps the placed words first..last; answers how many moved onto an onset.
// Changes word times only; the caller makes it an undo step.
int SnapWordsToVoice(Song& song, int first, int last, const std::vector<Onset>& onsets, int sampleRate,
                     const VoiceSnapOptions& options = {});

}  // namespace lf
