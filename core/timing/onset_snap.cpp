#include "core/timing/onset_snap.h"

#include <cstdlib>

#include "core/song/song.h"
#include "core/timing/word_nudge.h"

namespace lf {

bool SnapWordStart(Song& song, int word, const std::vector<Onset>& onsets, int sampleRate) {
  const KaraokeWord* w = song.Lyrics().Word(word);
  if (!w) return false;
  const int64_t reach = int64_t{sampleRate} * kSnapReachMs / 1000;
  const Onset* best = nullptr;
  for (const Onset& onset : onsets)
    if (std::llabs(onset.frame - w->m_startTime) <= reach && (!best || onset.strength > best->strength)) best = &onset;
  if (!best) return false;
  TimingEdit edit(song, StepNameForWord("Snap Start of", song.Lyrics(), word));
  const int64_t move = best->frame - w->m_startTime;
  if (move > 0)
    NudgeStartLater(song, word, static_cast<SampleTime>(move));
  else if (move < 0)
    NudgeStartEarlier(song, word, static_cast<SampleTime>(-move));
  else
    song.SetModified(true);
  return true;
}

}  // namespace lf
