#pragma once
// Puts an imported lyric file into the song, as the Import Lyrics command
// does: the text replaces the raw lyrics, the old lines and words (and with
// them their times) go, the text is laid out afresh, and the timings of an
// LRC file are copied onto its words, so that the song starts out placed;
// its [ar:] and [ti:] fill the song's artist and title when they are empty.
// Its singer marks make the lines' singers (and the song a duet). The timed
// formats (ASS, UltraStar, TTML, WebVTT, SRT, MIDI) go in through
// ApplyTimedLyrics.
#include <vector>

#include "core/lyrics/lyrics_import.h"
#include "core/song/song.h"

namespace lf {

// LRC lines timed past the end of the song's music (when its length is known)
// are left untimed; `linesPastMusic` is told how many.
// `import` must be a successful import (LyricsImport::Ok()); anything else
// leaves the song as it was and returns false.
bool ApplyLyricsImport(const LyricsImport& import, Song& song, int* linesPastMusic = nullptr);

// The one line that tells an author how many imported lines were left untimed.
std::string LinesPastMusicText(int lines);

// The sample rate that imported times become frames at: the working music's,
// or, before the music is prepared, that of the song's music file.
int LyricsSampleRate(const Song& song);

// The singer of each line of an LRC file: M: (or v1:) singer 1, F: (v2:)
// singer 2, D: both.
std::vector<Singer> LrcSingers(const LrcFile& lrc);

}  // namespace lf
