#pragma once
// Where imported lyrics enter the song: the raw text laid out afresh with
// its singers. ApplyTimedLyrics (timed_lyrics.h) and the import of text, LRC
// and MIDI files (apply_lyrics_import.h) both go through here.
#include <string>
#include <vector>

#include "core/lyrics/timed_lyrics.h"
#include "core/song/song.h"

namespace lf {

// The song's raw lyrics become `rawText`; its old lines, words and times
// go, and the text is laid out again. Line i is sung by `singers[i]` (lines
// past the list keep the layout's colour): singer 1, singer 2 and both take
// their line colours (12, 9, 10), and a song that gets a singer-2 or
// both-singers line, or `duet`, is switched to duet mode first.
void ReplaceSongLyrics(const std::string& rawText, const std::vector<Singer>& singers, bool duet, Song& song);

}  // namespace lf
