#include "core/lyrics/apply_lyrics_import.h"

#include "core/audio/media_reader.h"
#include "core/lyrics/apply_lrc_timings.h"

namespace lf {

namespace {

// Word times are sample frames of the working music. A song whose music is
// not prepared yet (a new project) takes the rate of its music file, so that
// a 22,050 Hz song's words are not timed in 44,100 Hz frames.
int LyricsSampleRate(const Song& song) {
  if (!song.Music().WorkingMusicPath().empty() || song.MusicPath().empty()) return song.Music().SampleRate();
  MediaReader reader;
  MediaFormat format;
  if (Failed(reader.Open(song.MusicPath())) || Failed(reader.SelectAudioOutput(&format)) || format.sampleRate <= 0)
    return song.Music().SampleRate();
  return format.sampleRate;
}

// An LRC file's [ar:] and [ti:] name the song when the author has not.
void TakeNamesFromLrc(const LrcFile& lrc, Song& song) {
  if (song.Lyrics().Artist().empty() && !lrc.artist.empty()) song.Lyrics().SetArtist(lrc.artist);
  if (song.Lyrics().Title().empty() && !lrc.title.empty()) song.Lyrics().SetTitle(lrc.title);
}

}  // namespace

bool ApplyLyricsImport(const LyricsImport& import, Song& song) {
  if (!import.Ok() || import.text.empty()) return false;
  song.Lyrics().SetRawLyrics(import.text);
  song.Lyrics().ClearLines();
  song.GenerateKaraokeLineList({.keepTimings = true, .convertMarkers = true});
  TakeNamesFromLrc(import.lrc, song);
  if (!import.lrc.lines.empty()) {
    const int rate = LyricsSampleRate(song);
    song.Lyrics().EditLines([&](KaraokeLineList& lines) { ApplyLrcTimings(import.lrc, lines, rate); });
    song.SetModified(true);
  }
  return true;
}

}  // namespace lf
