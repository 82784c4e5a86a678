#pragma once
// Timing a sung song of known truth the ways an author would (line taps,
// word taps, each a little off) and measuring how far the word starts land
// from where the words are sung. Shared by the tests and the benchmark.
#include <cstdint>
#include <vector>

#include "core/song/song.h"
#include "core/timing/line_first_timing.h"
#include "tests/support/sung_song.h"

namespace lf::test {

// Two verses and a chorus sung twice in the same rhythm, at `wordsPerMinute`.
SungSongPlan VersesAndChorus(int wordsPerMinute = 150);

struct StartErrors {
  std::vector<double> ms;  // |start - truth| per word, sorted
  double Percentile(double p) const;
  double Median() const { return Percentile(0.5); }
  double ShareWithin(double limit) const;
};

// The song's lyrics laid out in `song`, untimed; its words must be the sung ones.
void LaySungLyrics(Song& song, const SungSong& sung);

// One tap per line at its first word's start, each off by up to `errorMs`
// either way (the same for the same seed).
std::vector<LineTap> LineTapsNearTruth(const SungSong& sung, double errorMs, uint32_t seed);

// Every word tapped at its start, off by up to `errorMs`, each ending where the next begins.
void TapWordsNearTruth(Song& song, const SungSong& sung, double errorMs, uint32_t seed);

StartErrors ErrorsAgainstTruth(const Song& song, const SungSong& sung);

}  // namespace lf::test
