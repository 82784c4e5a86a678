#include "lyrics/apply_lyrics_import.h"

#include "lyrics/apply_lrc_timings.h"

namespace lf {

namespace {

// An LRC file's [ar:] and [ti:] name the song when the author has not.
void TakeNamesFromLrc(const LrcFile& lrc, MSongSettings& song) {
  if (song.Artist().empty() && !lrc.artist.empty()) song.SetArtist(lrc.artist);
  if (song.Title().empty() && !lrc.title.empty()) song.SetTitle(lrc.title);
}

}  // namespace

bool ApplyLyricsImport(const LyricsImport& import, MSongSettings& song) {
  if (!import.Ok() || import.text.empty()) return false;
  song.SetRawLyrics(import.text);
  song.ClearLines();
  song.GenerateKaraokeLineList(true, true);
  TakeNamesFromLrc(import.lrc, song);
  if (!import.lrc.lines.empty()) ApplyLrcTimings(import.lrc, song);
  return true;
}

}  // namespace lf
