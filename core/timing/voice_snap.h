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

// Puts each of words first..last (one line, spread already) on its own onset
// of `onsets` within [from, to), in order, so that together they stray least
// from where the spread put them; a word left without one costs as much as
// straying `missMs`. Words without an onset are spread again between those
// with one. Answers how many found one.
int AlignWordsToOnsets(Song& song, int first, int last, const std::vector<Onset>& onsets, int64_t from, int64_t to,
                       int sampleRate, double missMs = 150);

// Snaps the placed words first..last; answers how many moved onto an onset.
// Changes word times only; the caller makes it an undo step.
int SnapWordsToVoice(Song& song, int first, int last, const std::vector<Onset>& onsets, int sampleRate,
                     const VoiceSnapOptions& options = {});

}  // namespace lf
