// The one place where imported timed lyrics are written into the song.
#include "core/lyrics/apply_timed_lyrics.h"

#include <algorithm>

#include "core/lyrics/apply_lrc_timings.h"
#include "core/lyrics/apply_lyrics_import.h"
#include "core/lyrics/lyrics_import.h"
#include "core/lyrics/timed_raw_text.h"
#include "core/song/lines_per_page_rule.h"

namespace lf {

namespace {

int ColorOf(Singer singer) {
  switch (singer) {
    case Singer::kSinger2:
      return ColorIndexSinger2;
    case Singer::kBoth:
      return ColorIndexDuet;
    case Singer::kSinger1:
      break;
  }
  return ColorIndexSinger1;
}

void SetWordTimes(const TimedLine& from, KaraokeLine& to, int rate) {
  const size_t n = std::min(from.words.size(), to.m_words.size());
  for (size_t j = 0; j < n; ++j) {
    const TimedWord& w = from.words[j];
    if (!w.IsTimed()) continue;
    KaraokeWord& word = *to.m_words[j];
    // Time 0 means "not placed": a word sung from the very start takes the first frame.
    word.m_startTime = std::max(MillisToFrames(w.start, rate), kFirstPlacedFrame);
    word.m_endTime = std::max(MillisToFrames(w.end, rate), word.m_startTime);
    to.m_placed = true;
  }
}

// The file's names fill what the author has left empty.
void TakeNames(const TimedLyrics& lyrics, Song& song) {
  if (song.Lyrics().Title().empty() && !lyrics.title.empty()) song.Lyrics().SetTitle(lyrics.title);
  if (song.Lyrics().Artist().empty() && !lyrics.artist.empty()) song.Lyrics().SetArtist(lyrics.artist);
  for (int k = 0; k < 3; ++k)
    if (!lyrics.singerNames[k].empty()) song.Lyrics().SetDuetLabel(k, lyrics.singerNames[k]);
}

}  // namespace

void ReplaceSongLyrics(const std::string& rawText, const std::vector<Singer>& singers, bool duet, Song& song) {
  duet = duet || std::any_of(singers.begin(), singers.end(), [](Singer s) { return s != Singer::kSinger1; });
  if (duet && !song.Look().IsDuet()) ChooseSingerMode(song, 2);
  song.Lyrics().SetRawLyrics(rawText);
  song.Lyrics().ClearLines();
  song.GenerateKaraokeLineList({.keepTimings = true, .convertMarkers = true});
  if (singers.empty()) return;
  const size_t n = std::min(singers.size(), song.Lyrics().LineList().lines.size());
  for (size_t i = 0; i < n; ++i) {
    KaraokeLine& line = *song.Lyrics().LineList().lines[i];
    if (!line.m_fixed) line.m_colorIndex = ColorOf(singers[i]);
  }
}

Outcome ApplyTimedLyrics(const TimedLyrics& lyrics, Song& song) {
  std::string raw, problem;
  if (!WriteRawLyrics(lyrics, raw, &problem))
    return Outcome::Failure(Reason::BadInput, problem, kLyricsImportCaption, MessageIcon::Error);
  if (raw.empty())
    return Outcome::Failure(Reason::BadInput, kLyricsNoLyricsError, kLyricsImportCaption, MessageIcon::Error);
  const int rate = LyricsSampleRate(song);
  std::vector<Singer> singers;
  for (const TimedLine& line : lyrics.lines) singers.push_back(line.fixed ? Singer::kSinger1 : line.singer);
  ReplaceSongLyrics(raw, singers, lyrics.duet, song);
  const size_t n = std::min(lyrics.lines.size(), song.Lyrics().LineList().lines.size());
  for (size_t i = 0; i < n; ++i) SetWordTimes(lyrics.lines[i], *song.Lyrics().LineList().lines[i], rate);
  TakeNames(lyrics, song);
  song.SetModified(true);
  return Outcome::Success();
}

}  // namespace lf
