#include "core/lyrics/apply_lyrics_import.h"

#include "core/audio/media_reader.h"
#include "core/lyrics/apply_lrc_timings.h"
#include "core/lyrics/apply_timed_lyrics.h"

namespace lf {

namespace {

// An LRC file's [ar:] and [ti:] name the song when the author has not.
void TakeNamesFromLrc(const LrcFile& lrc, Song& song) {
  if (song.Artist().empty() && !lrc.artist.empty()) song.SetArtist(lrc.artist);
  if (song.Title().empty() && !lrc.title.empty()) song.SetTitle(lrc.title);
}

}  // namespace

// Word times are sample frames of the working music. A song whose music is
// not prepared yet (a new project) takes the rate of its music file, so that
// a 22,050 Hz song's words are not timed in 44,100 Hz frames.
int LyricsSampleRate(const Song& song) {
  if (!song.WorkingMusicPath().empty() || song.MusicPath().empty()) return song.SampleRate();
  MediaReader reader;
  MediaFormat format;
  if (Failed(reader.Open(song.MusicPath())) || Failed(reader.SelectAudioOutput(&format)) || format.sampleRate <= 0)
    return song.SampleRate();
  return format.sampleRate;
}

std::vector<Singer> LrcSingers(const LrcFile& lrc) {
  std::vector<Singer> singers;
  for (const LrcLine& line : lrc.lines)
    singers.push_back(line.singer == 2 ? Singer::kSinger2 : line.singer == 3 ? Singer::kBoth : Singer::kSinger1);
  return singers;
}

bool ApplyLyricsImport(const LyricsImport& import, Song& song) {
  if (!import.Ok() || import.text.empty()) return false;
  if (import.IsTimed()) return ApplyTimedLyrics(import.timed, song).Ok();
  ReplaceSongLyrics(import.text, LrcSingers(import.lrc), false, song);
  TakeNamesFromLrc(import.lrc, song);
  if (!import.lrc.lines.empty()) {
    ApplyLrcTimings(import.lrc, song.LineList(), LyricsSampleRate(song));
    song.SetModified(true);
  }
  return true;
}

}  // namespace lf
