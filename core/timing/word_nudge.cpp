#include "core/timing/word_nudge.h"

#include <algorithm>
#include <climits>

#include "core/song/song.h"

namespace lf {

SampleTime AdjustStepFrames(const SongSettingsBlock& settings, int sampleRate) {
  return static_cast<SampleTime>(static_cast<float>(settings.adjustStep) / 1000.0f * static_cast<float>(sampleRate));
}

void NudgeStartEarlier(Song& song, int word, SampleTime step) {
  SongLyrics& lyrics = song.Lyrics();
  const KaraokeWord* w = lyrics.Word(word);
  if (!w) return;
  TimingEdit edit(song, StepNameForWord("Nudge Start of", lyrics, word));
  const KaraokeWord* before = lyrics.Word(word - 1);
  const int64_t floor = before ? before->m_startTime : 0;
  lyrics.SetWordStart(word, static_cast<SampleTime>(std::max<int64_t>(int64_t{w->m_startTime} - step, floor)));
  if (before) lyrics.SetWordEnd(word - 1, std::min(before->m_endTime, w->m_startTime));
  song.SetModified(true);
}

void NudgeStartLater(Song& song, int word, SampleTime step) {
  SongLyrics& lyrics = song.Lyrics();
  const KaraokeWord* w = lyrics.Word(word);
  if (!w) return;
  TimingEdit edit(song, StepNameForWord("Nudge Start of", lyrics, word));
  const SampleTime old = w->m_startTime;
  lyrics.SetWordStart(word, static_cast<SampleTime>(std::min<int64_t>(int64_t{old} + step, w->m_endTime)));
  if (const KaraokeWord* before = lyrics.Word(word - 1)) {
    // A word that ran up to this one keeps running up to it.
    lyrics.SetWordEnd(word - 1,
                      before->m_endTime == old ? w->m_startTime : std::min(before->m_endTime, w->m_startTime));
  }
  song.SetModified(true);
}

void NudgeEndEarlier(Song& song, int word, SampleTime step) {
  SongLyrics& lyrics = song.Lyrics();
  const KaraokeWord* w = lyrics.Word(word);
  if (!w) return;
  TimingEdit edit(song, StepNameForWord("Nudge End of", lyrics, word));
  lyrics.SetWordEnd(word, static_cast<SampleTime>(std::max<int64_t>(int64_t{w->m_endTime} - step, w->m_startTime)));
  song.SetModified(true);
}

void NudgeEndLater(Song& song, int word, SampleTime step) {
  SongLyrics& lyrics = song.Lyrics();
  const KaraokeWord* w = lyrics.Word(word);
  if (!w) return;
  TimingEdit edit(song, StepNameForWord("Nudge End of", lyrics, word));
  const KaraokeWord* after = lyrics.Word(word + 1);
  const int64_t ceiling = after ? after->m_endTime : INT32_MAX;
  lyrics.SetWordEnd(word, static_cast<SampleTime>(std::min<int64_t>(int64_t{w->m_endTime} + step, ceiling)));
  if (after) lyrics.SetWordStart(word + 1, std::max(after->m_startTime, w->m_endTime));
  song.SetModified(true);
}

namespace {

int SingerTwoCount(const KaraokeWord& word) {
  return word.m_line && word.m_line->m_singer2 ? static_cast<int>(word.m_line->m_words.size()) : 0;
}

SampleTime SecondsToFrames(int32_t thousandths, int sampleRate) {
  return static_cast<SampleTime>(static_cast<float>(thousandths) / 1000.0f * static_cast<float>(sampleRate));
}

// k whole words back from `word`: a syllable ending at '*' counts with the one after it.
SampleTime AreaStartInWords(const Song& song, int word, int k) {
  int n = word - SingerTwoCount(*song.Lyrics().Word(word));
  for (int step = 0; step < k; ++step) {
    --n;
    while (n >= 0 && (song.Lyrics().Word(n)->m_flags & KaraokeWord::kSyllableBreak)) --n;
  }
  n = std::max(n, 0);
  if (const int count = SingerTwoCount(*song.Lyrics().Word(n))) n = std::max(n - count, 0);
  return song.Lyrics().Word(n)->m_startTime;
}

// k whole words on from `word`: a word ends after the syllables joined to it.
SampleTime AreaEndInWords(const Song& song, int word, int k) {
  const int last = song.Lyrics().WordCount() - 1;
  int m = word + SingerTwoCount(*song.Lyrics().Word(word));
  for (int step = 0; step < k; ++step) {
    ++m;
    while (m < last && (song.Lyrics().Word(m + 1)->m_flags & KaraokeWord::kJoinsPrevious)) ++m;
  }
  m = std::min(m, last);
  if (const int count = SingerTwoCount(*song.Lyrics().Word(m))) m = std::min(m + count, last);
  return song.Lyrics().Word(m)->m_endTime;
}

}  // namespace

PlayAreaSpan PlayArea(const Song& song, int word, bool areaOn, int sampleRate) {
  const KaraokeWord* w = song.Lyrics().Word(word);
  if (!w) return {};
  if (!areaOn) return {w->m_startTime, std::nullopt};
  const SongSettingsBlock& s = song.Look().Settings();
  PlayAreaSpan span;
  if (s.playBeforeInSeconds)
    span.start = std::max<SampleTime>(w->m_startTime - SecondsToFrames(s.playBeforeAmount, sampleRate), 0);
  else
    span.start = AreaStartInWords(song, word, s.playBeforeAmount / 1000);
  if (s.playAfterInSeconds)
    span.end = std::max<SampleTime>(w->m_endTime + SecondsToFrames(s.playAfterAmount, sampleRate), 0);
  else
    span.end = AreaEndInWords(song, word, s.playAfterAmount / 1000);
  return span;
}

}  // namespace lf
