#include "core/timing/word_confidence.h"

#include <algorithm>
#include <cstdlib>

#include "core/song/song_lyrics.h"

namespace lf {

namespace {

constexpr double kSureWithinMs = 40;   // an onset this near: no doubt at all
constexpr double kLostBeyondMs = 160;  // no onset this near: as doubtful as distance makes it
constexpr double kShortestMs = 60;
constexpr double kLongestMs = 4000;
constexpr int kRiseSpanMs = 60;
constexpr double kRiseNeeded = 1.3;
constexpr double kAudibleShare = 0.05;  // of the song's loud voice level
constexpr float kComesAndGoes = 3;      // loud over quiet levels of a voice with pauses

// How loud the voice is when it sings: the 90th percentile of its levels.
// 0 when nothing in the centre comes and goes as a voice does (silence, a
// steady tone, an instrumental), where nothing can be judged by it.
float LoudLevel(const VoicePart& voice) {
  if (voice.levels.empty()) return 0;
  std::vector<float> levels = voice.levels;
  auto at = [&](size_t percent) {
    const auto it = levels.begin() + static_cast<std::ptrdiff_t>(levels.size() * percent / 100);
    std::nth_element(levels.begin(), it, levels.end());
    return *it;
  };
  const float quiet = at(25), loud = at(90);
  return loud > kComesAndGoes * quiet ? loud : 0;
}

struct Doubt {
  float factor;
  const char* why;
};

// Onsets weaker than half the median are too faint to vouch for a word.
std::vector<int64_t> ClearOnsets(const std::vector<Onset>& onsets) {
  if (onsets.empty()) return {};
  std::vector<float> strengths(onsets.size());
  std::transform(onsets.begin(), onsets.end(), strengths.begin(), [](const Onset& onset) { return onset.strength; });
  std::nth_element(strengths.begin(), strengths.begin() + static_cast<std::ptrdiff_t>(strengths.size() / 2),
                   strengths.end());
  const float floor = 0.5f * strengths[strengths.size() / 2];
  std::vector<int64_t> frames;
  for (const Onset& onset : onsets)
    if (onset.strength >= floor) frames.push_back(onset.frame);
  return frames;
}

double MsToNearest(const std::vector<int64_t>& frames, int64_t at, int sampleRate) {
  const auto it = std::lower_bound(frames.begin(), frames.end(), at);
  int64_t best = INT64_MAX;
  if (it != frames.end()) best = *it - at;
  if (it != frames.begin()) best = std::min(best, at - *(it - 1));
  return static_cast<double>(best) * 1000.0 / sampleRate;
}

Doubt OnsetDoubt(const std::vector<int64_t>& clear, int64_t start, int sampleRate) {
  if (clear.empty()) return {1, nullptr};
  const double ms = MsToNearest(clear, start, sampleRate);
  if (ms <= kSureWithinMs) return {1, nullptr};
  const double lost = std::min(1.0, (ms - kSureWithinMs) / (kLostBeyondMs - kSureWithinMs));
  return {static_cast<float>(1.0 - 0.7 * lost), "no clear onset of the voice near its start"};
}

// A word begins where the voice grows louder; one placed where the voice
// sounds on as loud as before is likely placed inside another word.
Doubt RiseDoubt(const VoicePart& voice, float loud, int64_t start, int sampleRate) {
  if (loud <= 0) return {1, nullptr};
  const int64_t span = int64_t{sampleRate} * kRiseSpanMs / 1000 / VoicePart::kHop + 1;
  auto mean = [&](int64_t from, int64_t to) {
    double sum = 0;
    int64_t n = 0;
    for (int64_t i = std::max<int64_t>(from, 0); i < to && i < static_cast<int64_t>(voice.levels.size()); ++i, ++n)
      sum += voice.levels[static_cast<size_t>(i)];
    return n ? sum / static_cast<double>(n) : 0.0;
  };
  const int64_t at = start / VoicePart::kHop;
  const double before = mean(at - span, at), after = mean(at, at + span);
  if (after < kAudibleShare * loud) return {0.45f, "no voice is heard at its start"};
  if (after > kRiseNeeded * before) return {1, nullptr};
  return {0.45f, "the voice does not set in there"};
}

Doubt LengthDoubt(const KaraokeWord& w, int sampleRate) {
  const double ms = (static_cast<double>(w.m_endTime) - w.m_startTime) * 1000.0 / sampleRate;
  if (ms < kShortestMs) return {0.4f, "shorter than 60 ms"};
  if (ms > kLongestMs) return {0.6f, "longer than 4 s"};
  return {1, nullptr};
}

Doubt NeighbourDoubt(const KaraokeWord& w, const KaraokeWord* before) {
  if (!before || !before->IsPlaced()) return {1, nullptr};
  if (w.m_startTime < before->m_startTime) return {0.1f, "starts before the word before it"};
  if (w.m_startTime < before->m_endTime) return {0.7f, "overlaps the word before it"};
  return {1, nullptr};
}

}  // namespace

std::vector<WordConfidence> RateWordTimes(const SongLyrics& lyrics, const VoicePart& voice, int sampleRate) {
  if (sampleRate <= 0) sampleRate = 44100;
  const std::vector<int64_t> clear = ClearOnsets(voice.onsets);
  const float loud = LoudLevel(voice);
  std::vector<WordConfidence> rated(static_cast<size_t>(lyrics.WordCount()));
  const KaraokeWord* before = nullptr;
  for (int i = 0; i < lyrics.WordCount(); ++i) {
    const KaraokeWord& w = *lyrics.Word(i);
    if (!w.IsPlaced()) continue;
    WordConfidence& rating = rated[static_cast<size_t>(i)];
    float weightiest = 1;
    const Doubt review{w.NeedsReview() ? 0.7f : 1.0f, "timed by the program, not tapped"};
    const Doubt retapped{w.WasRetapped() ? 0.75f : 1.0f, "its tap was taken back and made again"};
    for (const Doubt& d :
         {OnsetDoubt(clear, w.m_startTime, sampleRate), RiseDoubt(voice, loud, w.m_startTime, sampleRate),
          LengthDoubt(w, sampleRate), NeighbourDoubt(w, before), review, retapped}) {
      rating.confidence *= d.factor;
      if (d.factor < weightiest) {
        weightiest = d.factor;
        rating.doubt = d.why;
      }
    }
    before = &w;
  }
  return rated;
}

int NextUnsureWord(const std::vector<WordConfidence>& rated, int after) {
  const int n = static_cast<int>(rated.size());
  for (int step = 1; step <= n; ++step) {
    const int i = ((after + step) % n + n) % n;
    if (rated[static_cast<size_t>(i)].confidence < kUnsureBelow) return i;
  }
  return -1;
}

SongProblems UnsureWordProblems(const SongLyrics& lyrics, const std::vector<WordConfidence>& rated) {
  SongProblems problems;
  for (int i = 0; i < lyrics.WordCount() && static_cast<size_t>(i) < rated.size(); ++i) {
    const WordConfidence& rating = rated[static_cast<size_t>(i)];
    if (rating.confidence >= kUnsureBelow) continue;
    const KaraokeWord& w = *lyrics.Word(i);
    const std::string text =
        w.m_line->m_text.substr(static_cast<size_t>(w.m_firstChar), static_cast<size_t>(w.Length()));
    problems.push_back({ProblemSeverity::Warning, kUnsureKind, lyrics.IndexOfLine(w.m_line), i,
                        "'" + text + "' may be timed wrong: " + rating.doubt + "."});
  }
  return problems;
}

void AddUnsureWords(SongProblems& problems, const SongLyrics& lyrics, const std::vector<WordConfidence>& rated) {
  for (SongProblem& unsure : UnsureWordProblems(lyrics, rated)) {
    const bool named =
        std::any_of(problems.begin(), problems.end(), [&](const SongProblem& p) { return p.word == unsure.word; });
    if (!named) problems.push_back(std::move(unsure));
  }
}

}  // namespace lf
