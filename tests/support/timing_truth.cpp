#include "tests/support/timing_truth.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <stdexcept>

namespace lf::test {

SungSongPlan VersesAndChorus(int wordsPerMinute) {
  SungSongPlan plan;
  plan.lines = {
      "Walking down the empty road tonight", "Counting every single star above", "Nobody knows the way back home",
      "Sing it loud and let it go",          "Carry me over the river",          "Paper boats are sailing slowly by",
      "Windows open to the morning light",   "Sing it loud and let it go",       "Carry me over the river",
      "Dancing shadows on the kitchen wall"};
  plan.wordsPerMinute = wordsPerMinute;
  plan.seed = 11;
  return plan;
}

double StartErrors::Percentile(double p) const {
  if (ms.empty()) return 0;
  return ms[std::min(ms.size() - 1, static_cast<size_t>(p * static_cast<double>(ms.size())))];
}

double StartErrors::ShareWithin(double limit) const {
  if (ms.empty()) return 0;
  return static_cast<double>(std::count_if(ms.begin(), ms.end(), [&](double e) { return e <= limit; })) /
         static_cast<double>(ms.size());
}

void LaySungLyrics(Song& song, const SungSong& sung) {
  song.Lyrics().SetRawLyrics(sung.lyrics);
  song.GenerateKaraokeLineList({.keepTimings = false, .convertMarkers = false});
  if (song.Lyrics().WordCount() != static_cast<int>(sung.words.size()))
    throw std::runtime_error("the laid-out lyrics do not have the sung words");
}

namespace {
SampleTime Off(int64_t frame, double errorMs, std::mt19937& random, int rate) {
  std::uniform_real_distribution<double> error(-errorMs, errorMs);
  return static_cast<SampleTime>(std::max<int64_t>(1, frame + std::llround(error(random) * rate / 1000.0)));
}
}  // namespace

std::vector<LineTap> LineTapsNearTruth(const SungSong& sung, double errorMs, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<LineTap> taps;
  for (const SungLine& line : sung.lines)
    if (!line.words.empty())
      taps.push_back(
          {Off(sung.words[static_cast<size_t>(line.words.front())].startFrame, errorMs, random, sung.sampleRate), 0});
  return taps;
}

void TapWordsNearTruth(Song& song, const SungSong& sung, double errorMs, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<SampleTime> starts;
  for (const SungWord& word : sung.words) starts.push_back(Off(word.startFrame, errorMs, random, sung.sampleRate));
  for (size_t i = 0; i < starts.size(); ++i) {
    const bool lineEnds = i + 1 == starts.size() || song.Lyrics().Word(static_cast<int>(i))->m_line !=
                                                        song.Lyrics().Word(static_cast<int>(i) + 1)->m_line;
    // A line's last word is let go where its voice ends; the rest run up to the next tap.
    const SampleTime end = lineEnds ? static_cast<SampleTime>(sung.words[i].endFrame) : starts[i + 1];
    song.Lyrics().SetWordTimes(static_cast<int>(i), starts[i], std::max(end, starts[i]));
  }
}

StartErrors ErrorsAgainstTruth(const Song& song, const SungSong& sung) {
  StartErrors errors;
  for (size_t i = 0; i < sung.words.size(); ++i)
    errors.ms.push_back(std::fabs(static_cast<double>(song.Lyrics().Word(static_cast<int>(i))->m_startTime) -
                                  static_cast<double>(sung.words[i].startFrame)) *
                        1000.0 / sung.sampleRate);
  std::sort(errors.ms.begin(), errors.ms.end());
  return errors;
}

}  // namespace lf::test
