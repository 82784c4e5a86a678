#include "core/lyrics/apply_lyrics_import.h"

#include <algorithm>

#include "core/lyrics/apply_lrc_timings.h"
#include "core/lyrics/apply_timed_lyrics.h"
#include "core/song/music_bounds.h"

namespace lf {

namespace {

// Word times are sample frames of the working music. A song whose music is
// not prepared yet (a new project) takes the rate of its music file, so that
// a 22,050 Hz song's words are not timed in 44,100 Hz frames.
int RateFor(const Song& song, const MusicSpan& music) {
  if (!song.Music().WorkingMusicPath().empty() || song.MusicPath().empty() || music.sampleRate <= 0)
    return song.Music().SampleRate();
  return music.sampleRate;
}

// An LRC file's [ar:] and [ti:] name the song when the author has not.
void TakeNamesFromLrc(const LrcFile& lrc, Song& song) {
  if (song.Lyrics().Artist().empty() && !lrc.artist.empty()) song.Lyrics().SetArtist(lrc.artist);
  if (song.Lyrics().Title().empty() && !lrc.title.empty()) song.Lyrics().SetTitle(lrc.title);
}

// Leaves untimed every line of `timed` with a time past what the music allows;
// returns how many lines that was (none when the music's length is not known).
int UntimeLinesPastMusic(TimedLyrics& timed, const MusicSpan& music) {
  if (!music.Known()) return 0;
  const Millis latest = int64_t{music.LatestWordTime()} * 1000 / music.sampleRate;
  int lines = 0;
  for (TimedLine& line : timed.lines) {
    const bool late = std::any_of(line.words.begin(), line.words.end(), [latest](const TimedWord& w) {
      return w.IsTimed() && (w.start > latest || w.end > latest);
    });
    if (!late) continue;
    for (TimedWord& word : line.words) word.start = word.end = kUntimed;
    ++lines;
  }
  return lines;
}

}  // namespace

int LyricsSampleRate(const Song& song) { return RateFor(song, SongMusicSpan(song)); }

std::vector<Singer> LrcSingers(const LrcFile& lrc) {
  std::vector<Singer> singers;
  for (const LrcLine& line : lrc.lines)
    singers.push_back(line.singer == 2 ? Singer::kSinger2 : line.singer == 3 ? Singer::kBoth : Singer::kSinger1);
  return singers;
}

bool ApplyLyricsImport(const LyricsImport& import, Song& song, int* linesPastMusic) {
  if (linesPastMusic) *linesPastMusic = 0;
  if (!import.Ok() || import.text.empty()) return false;
  if (import.IsTimed()) {
    TimedLyrics timed = import.timed;
    const int untimed = UntimeLinesPastMusic(timed, SongMusicSpan(song));
    if (!ApplyTimedLyrics(timed, song).Ok()) return false;
    if (linesPastMusic) *linesPastMusic = untimed;
    return true;
  }
  ReplaceSongLyrics(import.text, LrcSingers(import.lrc), false, song);
  TakeNamesFromLrc(import.lrc, song);
  if (!import.lrc.lines.empty()) {
    const MusicSpan music = SongMusicSpan(song);
    const int rate = RateFor(song, music);
    int untimed = 0;
    song.Lyrics().EditLines(
        [&](KaraokeLineList& lines) { untimed = ApplyLrcTimings(import.lrc, lines, rate, music.LatestWordTime()); });
    if (linesPastMusic) *linesPastMusic = untimed;
    song.SetModified(true);
  }
  return true;
}

std::string LinesPastMusicText(int lines) {
  return std::to_string(lines) + (lines == 1 ? " line is" : " lines are") +
         " timed past the end of the music and left untimed";
}

}  // namespace lf
