#include "core/timing/lyric_placement.h"

#include "core/song/song.h"
#include "core/timing/placement_preview.h"

namespace lf {

LyricPlacement::LyricPlacement(Song& song, PlacementPreview* preview) : m_song(song), m_preview(preview) {}

bool LyricPlacement::AtEnd() const { return m_cursor >= m_song.Lyrics().WordCount(); }

void LyricPlacement::Open() {
  m_song.GenerateKaraokeLineList({.keepTimings = true, .convertMarkers = false});
  for (int i = 0; i < m_song.Lyrics().WordCount(); ++i) m_song.Lyrics().SelectWord(i, false);
  StartPlacement();
}

void LyricPlacement::StartPlacement() {
  m_cursor = 0;
  m_openWord = kNoWord;
  m_placedThisRun.clear();
  m_takenBack.clear();
  ShowCursorPage();
}

void LyricPlacement::PlaceWord(SampleTime t) {
  if (!AtEnd()) {
    TimingEdit edit(m_song, StepNameForWord("Tap", m_song.Lyrics(), m_cursor));
    SongLyrics& lyrics = m_song.Lyrics();
    lyrics.SetWordStart(m_cursor, t);
    // A tap taken back and made again is one the author was unsure of.
    lyrics.MarkRetapped(m_cursor, std::find(m_takenBack.begin(), m_takenBack.end(), m_cursor) != m_takenBack.end());
    if (const KaraokeLine* line = lyrics.Word(m_cursor)->m_line) lyrics.SetLinePlaced(lyrics.IndexOfLine(line), true);
    if (lyrics.Word(m_openWord)) lyrics.SetWordEnd(m_openWord, t);
    m_openWord = m_cursor++;
    m_placedThisRun.push_back(m_openWord);
    SkipSingerTwoLine();
    ShowAfterPlacing();
  }
  // A tap past the last word changes no time but still counts as a change.
  m_song.SetModified(true);
}

// Singer-2 lines are not tapped: they take their times from the line before
// them. Every one in a row is passed over, since taps on them would be overwritten.
void LyricPlacement::SkipSingerTwoLine() {
  const KaraokeWord* open = m_song.Lyrics().Word(m_openWord);
  if (!open || !m_song.Look().IsDuet()) return;
  while (!AtEnd()) {
    const KaraokeLine* line = m_song.Lyrics().Word(m_cursor)->m_line;
    if (!line || line == open->m_line || !line->m_singer2) return;
    m_song.Lyrics().SetLinePlaced(m_song.Lyrics().IndexOfLine(line), true);
    m_cursor += static_cast<int>(line->m_words.size());
  }
}

void LyricPlacement::ShowAfterPlacing() {
  if (!m_preview) return;
  const KaraokeWord* open = m_song.Lyrics().Word(m_openWord);
  if (AtEnd()) {
    m_preview->SweepWord(m_openWord);
    return;
  }
  const KaraokeWord* next = m_song.Lyrics().Word(m_cursor);
  if (open && open->m_line && next->m_line && open->m_line->m_page == next->m_line->m_page) {
    m_preview->SweepWord(m_openWord);
  } else {
    m_preview->DrawPageOf(m_cursor);
  }
  m_preview->MarkNextWord(m_cursor);
}

void LyricPlacement::ShowCursorPage() {
  if (!m_preview || m_song.Lyrics().WordCount() == 0) return;
  const int word = AtEnd() ? m_song.Lyrics().WordCount() - 1 : m_cursor;
  m_preview->DrawPageOf(word);
  // The page as it stands in this run: what was tapped on it is swept.
  const int page = m_song.Lyrics().Word(word)->m_line ? m_song.Lyrics().Word(word)->m_line->m_page : 0;
  for (int placed : m_placedThisRun) {
    const KaraokeWord* w = m_song.Lyrics().Word(placed);
    if (w->m_line && w->m_line->m_page == page) m_preview->SweepWord(placed);
  }
  if (!AtEnd()) m_preview->MarkNextWord(m_cursor);
}

void LyricPlacement::PauseSweep(SampleTime t) {
  TimingEdit edit(m_song, "Pause");
  if (m_song.Lyrics().Word(m_openWord)) m_song.Lyrics().SetWordEnd(m_openWord, t);
  m_openWord = kNoWord;
}

void LyricPlacement::EndPlacement(int sampleRate) {
  TimingEdit edit(m_song, "Stop");
  if (const KaraokeWord* open = m_song.Lyrics().Word(m_openWord))
    m_song.Lyrics().SetWordEnd(m_openWord, open->m_startTime + (sampleRate > 0 ? sampleRate : kDefaultSampleRate));
  m_openWord = kNoWord;
  if (m_song.Look().IsDuet()) TimeSecondLines(m_song);
}

bool LyricPlacement::StepBack() {
  if (m_placedThisRun.empty()) return false;
  const int last = m_placedThisRun.back();
  m_placedThisRun.pop_back();
  TimingEdit edit(m_song, StepNameForWord("Take Back Tap", m_song.Lyrics(), last));
  SongLyrics& lyrics = m_song.Lyrics();
  const SampleTime tap = lyrics.Word(last)->m_startTime;
  lyrics.SetWordTimes(last, 0, 0);
  m_takenBack.push_back(last);
  if (const KaraokeLine* line = lyrics.Word(last)->m_line) {
    bool anyPlaced = false;
    for (const KaraokeWord* w : line->m_words) anyPlaced |= w->IsPlaced();
    lyrics.SetLinePlaced(lyrics.IndexOfLine(line), anyPlaced);
  }
  m_cursor = last;
  m_openWord = kNoWord;
  // The word before is open again only when this tap was what ended it (not a pause).
  if (!m_placedThisRun.empty()) {
    const int before = m_placedThisRun.back();
    if (m_song.Lyrics().Word(before)->m_endTime == tap) m_openWord = before;
  }
  ShowCursorPage();
  m_song.SetModified(true);
  return true;
}

void TimeSecondLines(Song& song) {
  SongLyrics& lyrics = song.Lyrics();
  const KaraokeLine* remembered = nullptr;
  int firstWord = 0;  // the word list holds the lines' words in line order
  for (int l = 0; l < lyrics.LineCount(); ++l) {
    const KaraokeLine& line = *lyrics.Line(l);
    const int64_t k = static_cast<int64_t>(line.m_words.size());
    if (line.m_singer2 && remembered) {
      const int64_t o = remembered->FirstWord()->m_startTime;
      const int64_t h = remembered->LastWord()->m_endTime;
      lyrics.SetLineTimes(l, static_cast<SampleTime>(o), line.m_endTime);
      for (int64_t i = 0; i < k; ++i)
        lyrics.SetWordTimes(firstWord + static_cast<int>(i), static_cast<SampleTime>(o + i * (h - o) / k),
                            static_cast<SampleTime>(o + (i + 1) * (h - o) / k));
    }
    if (line.HasWords()) remembered = &line;
    firstWord += static_cast<int>(k);
  }
}

}  // namespace lf
