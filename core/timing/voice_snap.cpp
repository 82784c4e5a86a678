#include "core/timing/voice_snap.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <tuple>

#include "core/song/song.h"
#include "core/timing/word_spread.h"

namespace lf {

namespace {

struct Candidate {
  size_t onset = 0;
  bool found = false;
  double score = 0;
};

// Onsets weaker than this share of the song's strong ones (the upper
// quartile) are the band leaking through, not the voice.
constexpr float kFaintShare = 0.02f;
// Aligning a whole line may skip onsets, so it can afford to ignore more of
// the weak ones: they are more often echoes and the band than the voice.
constexpr float kAlignFaintShare = 0.08f;
// A word's vowel sets in harder than the consonant that starts it, a little
// after it: an onset after the prediction counts as this much further away.
constexpr double kLateWeight = 1.5;
// How many milliseconds nearer an onset ten times weaker must be to win.
constexpr double kMsPerDecade = 15;

// The strength of the song's strong onsets: the upper quartile.
float StrongStrength(const std::vector<Onset>& onsets) {
  if (onsets.empty()) return 0;
  std::vector<float> strengths(onsets.size());
  std::transform(onsets.begin(), onsets.end(), strengths.begin(), [](const Onset& onset) { return onset.strength; });
  const auto quartile = strengths.begin() + static_cast<std::ptrdiff_t>(strengths.size() * 3 / 4);
  std::nth_element(strengths.begin(), quartile, strengths.end());
  return *quartile;
}

float FaintBelow(const std::vector<Onset>& onsets) { return kFaintShare * StrongStrength(onsets); }

// The onset at or after `from` that best fits a start predicted at `at`: the
// nearest, unless a much stronger one is barely further; never a faint one, or
// one before `earliest`.
Candidate BestOnset(const std::vector<Onset>& onsets, size_t from, int64_t at, int64_t window, int64_t earliest,
                    float faint, int sampleRate) {
  Candidate best;
  auto it = std::lower_bound(onsets.begin() + static_cast<std::ptrdiff_t>(from), onsets.end(),
                             std::max(at - window, earliest),
                             [](const Onset& onset, int64_t frame) { return onset.frame < frame; });
  for (; it != onsets.end() && it->frame <= at + window; ++it) {
    if (it->strength < faint || it->strength <= 0) continue;
    const double ms = static_cast<double>(std::llabs(it->frame - at)) * 1000.0 / sampleRate;
    const double score =
        kMsPerDecade * std::log10(it->strength / std::max(faint, 1e-9f)) - ms * (it->frame > at ? kLateWeight : 1.0);
    if (!best.found || score > best.score) best = {static_cast<size_t>(it - onsets.begin()), true, score};
  }
  return best;
}

bool Anchored(const VoiceSnapOptions& options, int word) {
  return word >= 0 && static_cast<size_t>(word) < options.anchored.size() &&
         options.anchored[static_cast<size_t>(word)];
}

// Unsnapped, unanchored words between two fixed starts follow them: the run is
// spread again from the fixed word before it to the fixed start after it.
void RespreadBetweenFixed(SongLyrics& lyrics, int first, int last, const std::vector<bool>& fixed, int sampleRate) {
  int left = -1;
  for (int i = first; i <= last + 1; ++i) {
    const bool isFixed = i > last || fixed[static_cast<size_t>(i - first)];
    if (!isFixed) continue;
    if (left >= 0 && i - left > 1) {
      const SampleTime to = i <= last ? lyrics.Word(i)->m_startTime : lyrics.Word(i - 1)->m_endTime;
      // The last run of a line ends where the line did; only runs closed by a fixed word respread.
      if (i <= last && lyrics.Word(i)->m_line == lyrics.Word(left)->m_line)
        SpreadWords(lyrics, left, i - 1, lyrics.Word(left)->m_startTime, to, sampleRate);
    }
    left = i;
  }
}

}  // namespace

int AlignWordsToOnsets(Song& song, int first, int last, const std::vector<Onset>& onsets, int64_t lineEnd,
                       int sampleRate, double missMs) {
  SongLyrics& lyrics = song.Lyrics();
  if (first >= last || sampleRate <= 0) return 0;
  const int64_t lineStart = lyrics.Word(first)->m_startTime;
  const int64_t minimum = int64_t{sampleRate} * kMinWordMs / 1000;
  const float faint = kAlignFaintShare * StrongStrength(onsets);
  // Node 0 is the line's first word where it already is; the rest are the onsets it may be followed by.
  std::vector<int64_t> at = {lineStart};
  for (const Onset& onset : onsets)
    if (onset.frame >= lineStart + minimum && onset.frame < lineEnd && onset.strength >= faint && onset.strength > 0) {
      at.push_back(onset.frame);
    }
  const size_t words = static_cast<size_t>(last - first) + 1, nodes = at.size();
  // Each word's share of the line at the line's own pace, in frames.
  std::vector<double> expected(words + 1, 0.0);  // expected[k]: from the line's start to word k
  double total = 0;
  for (size_t k = 0; k < words; ++k) {
    const double weight = WordWeight(lyrics, first + static_cast<int>(k));
    expected[k] = total;
    total += k + 1 < words ? weight : std::max(1.0, weight - kPauseWeight);
  }
  expected[words] = total;
  const double framesPerWeight = static_cast<double>(lineEnd - lineStart) / total;
  const double msPerFrame = 1000.0 / sampleRate;
  auto gapCost = [&](size_t fromWord, size_t fromNode, size_t toWord, int64_t toFrame) {
    const double wanted = (expected[toWord] - expected[fromWord]) * framesPerWeight;
    return std::fabs(static_cast<double>(toFrame - at[fromNode]) - wanted) * msPerFrame +
           missMs * static_cast<double>(toWord - fromWord - 1);
  };

  // cost[k][j]: the best way to have word k on node j, the words before it on
  // earlier nodes or on none (spread between).
  constexpr double kNever = 1e18;
  std::vector<std::vector<double>> cost(words, std::vector<double>(nodes, kNever));
  std::vector<std::vector<std::pair<size_t, size_t>>> back(words, std::vector<std::pair<size_t, size_t>>(nodes));
  cost[0][0] = 0;
  for (size_t k = 1; k < words; ++k)
    for (size_t j = 1; j < nodes; ++j)
      for (size_t pk = 0; pk < k; ++pk)
        for (size_t pj = 0; pj < j; ++pj) {
          if (cost[pk][pj] >= kNever || at[j] < at[pj] + minimum * static_cast<int64_t>(k - pk)) continue;
          const double c = cost[pk][pj] + gapCost(pk, pj, k, at[j]);
          if (c < cost[k][j]) {
            cost[k][j] = c;
            back[k][j] = {pk, pj};
          }
        }
  // The words after the last one placed run to the line's end.
  double best = kNever;
  std::pair<size_t, size_t> end{0, 0};
  for (size_t k = 0; k < words; ++k)
    for (size_t j = 0; j < nodes; ++j) {
      if (cost[k][j] >= kNever) continue;
      const double c = cost[k][j] + gapCost(k, j, words, lineEnd) + missMs * static_cast<double>(words - 1 - k);
      if (c < best) {
        best = c;
        end = {k, j};
      }
    }
  std::vector<bool> fixed(words, false);
  fixed[0] = true;
  int placed = 0;
  for (auto [k, j] = end; k > 0; std::tie(k, j) = back[k][j]) {
    lyrics.SetWordStart(first + static_cast<int>(k), static_cast<SampleTime>(at[j]));
    fixed[k] = true;
    ++placed;
  }
  for (size_t k = 0; k + 1 < words; ++k)
    lyrics.SetWordEnd(first + static_cast<int>(k), lyrics.Word(first + static_cast<int>(k) + 1)->m_startTime);
  lyrics.SetWordEnd(last, static_cast<SampleTime>(std::max(lineEnd, int64_t{lyrics.Word(last)->m_startTime})));
  RespreadBetweenFixed(lyrics, first, last, fixed, sampleRate);
  return placed;
}

int SnapWordsToVoice(Song& song, int first, int last, const std::vector<Onset>& onsets, int sampleRate,
                     const VoiceSnapOptions& options) {
  SongLyrics& lyrics = song.Lyrics();
  first = std::max(first, 0);
  last = std::min(last, lyrics.WordCount() - 1);
  if (first > last || sampleRate <= 0) return 0;
  const int64_t window = int64_t{sampleRate} * options.windowMs / 1000;
  const int64_t minimum = int64_t{sampleRate} * kMinWordMs / 1000;

  std::vector<SampleTime> oldStarts;
  for (int i = first; i <= last + 1 && i < lyrics.WordCount(); ++i) oldStarts.push_back(lyrics.Word(i)->m_startTime);
  std::vector<bool> fixed(static_cast<size_t>(last - first) + 1, false);
  int snapped = 0;
  size_t nextOnset = 0;
  const float faint = FaintBelow(onsets);
  int64_t earliest = 1;
  for (int i = first; i <= last; ++i) {
    const KaraokeWord& w = *lyrics.Word(i);
    if (!w.IsPlaced()) continue;
    const Candidate best = BestOnset(onsets, nextOnset, w.m_startTime, window, earliest, faint, sampleRate);
    if (best.found) {
      lyrics.SetWordStart(i, static_cast<SampleTime>(onsets[best.onset].frame));
      nextOnset = best.onset + 1;
      fixed[static_cast<size_t>(i - first)] = true;
      ++snapped;
    } else if (w.m_startTime < earliest) {
      lyrics.SetWordStart(i, static_cast<SampleTime>(earliest));
    }
    fixed[static_cast<size_t>(i - first)] = fixed[static_cast<size_t>(i - first)] || Anchored(options, i);
    earliest = lyrics.Word(i)->m_startTime + minimum;
  }
  // Ends that ran up to the next word keep doing so; none runs past it.
  for (int i = first; i <= last; ++i) {
    const KaraokeWord* next = lyrics.Word(i + 1);
    if (!next || !next->IsPlaced() || !lyrics.Word(i)->IsPlaced()) continue;
    const SampleTime end = lyrics.Word(i)->m_endTime;
    if (end == oldStarts[static_cast<size_t>(i - first) + 1] || end > next->m_startTime)
      lyrics.SetWordEnd(i, next->m_startTime);
  }
  if (options.respreadUnsnapped) RespreadBetweenFixed(lyrics, first, last, fixed, sampleRate);
  for (int i = first; i <= last; ++i) {
    const KaraokeWord& w = *lyrics.Word(i);
    if (w.IsPlaced() && w.m_endTime < w.m_startTime) lyrics.SetWordEnd(i, w.m_startTime);
  }
  return snapped;
}

}  // namespace lf
