#include "core/timing/voice_snap.h"

#include <algorithm>
#include <cstdlib>

#include "core/song/song.h"
#include "core/timing/word_spread.h"

namespace lf {

namespace {

struct Candidate {
  size_t onset = 0;
  double score = -1;
};

// The onset after `used` that best fits a start predicted at `at`: strong and
// near, not before `earliest`. Nearness weighs in so that a strong onset at the
// window's edge does not win over one just beside the prediction.
Candidate BestOnset(const std::vector<Onset>& onsets, size_t from, int64_t at, int64_t window, int64_t earliest) {
  Candidate best;
  auto it = std::lower_bound(onsets.begin() + static_cast<std::ptrdiff_t>(from), onsets.end(),
                             std::max(at - window, earliest),
                             [](const Onset& onset, int64_t frame) { return onset.frame < frame; });
  for (; it != onsets.end() && it->frame <= at + window; ++it) {
    const double distance = static_cast<double>(std::llabs(it->frame - at)) / static_cast<double>(window);
    const double score = it->strength * (1.0 - 0.6 * distance);
    if (score > best.score) best = {static_cast<size_t>(it - onsets.begin()), score};
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
  int64_t earliest = 1;
  for (int i = first; i <= last; ++i) {
    const KaraokeWord& w = *lyrics.Word(i);
    if (!w.IsPlaced()) continue;
    const Candidate best = BestOnset(onsets, nextOnset, w.m_startTime, window, earliest);
    if (best.score >= 0) {
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
