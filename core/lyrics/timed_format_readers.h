#pragma once
// The readers of timed lyric and subtitle formats. Each takes the file's
// bytes and the name to give in a message, fills `out` (emptied first) and
// returns success, or a BadInput failure of one line that names the file,
// the format and the line ("song.ass: ASS: line 14: ..."); `out` is then
// left empty. Times are milliseconds of the music.
#include <string>
#include <string_view>

#include "core/lyrics/timed_lyrics.h"
#include "core/platform/outcome.h"

namespace lf {

// Advanced SubStation Alpha (and SubStation Alpha): one line per Dialogue
// event, its \k, \K, \kf and \ko tags (centiseconds) timing the syllables from
// the event's start; the singer from the event's style (or, when it names
// none, its actor), by SingerNaming. Events without karaoke tags share their
// span by their letters. Fails when a line's tags run past its end.
Outcome ReadAss(std::string_view bytes, const std::string& fileName, TimedLyrics& out);

// UltraStar: #BPM and #GAP give the beat's time (a beat is 60 / (4 x BPM)
// seconds, beat 0 at GAP milliseconds), ':', '*', 'F', 'R' and 'G' notes are
// syllables, '-' breaks the line, 'E' ends the file; a note whose text starts
// without a blank (after one that did not end in one) continues the word, a
// '~' note holds the syllable before it. Duets: the P1 and P2 voices, and a
// line sung the same by both voices is sung by both. Fails on notes out of order,
// on a file without E and on relative beats (#RELATIVE:YES).
Outcome ReadUltraStar(std::string_view bytes, const std::string& fileName, TimedLyrics& out);

// TTML: a line per <p>, a syllable per <span> (spans written without a blank
// between them are syllables of one word), times in any TTML time
// expression; singers from ttm:agent (declared in the head: the first person
// singer 1, the second singer 2, a group or a line of two agents both);
// a <p> without times among timed ones is a fixed line. Fails when nothing
// carries times.
Outcome ReadTtml(std::string_view bytes, const std::string& fileName, TimedLyrics& out);

// WebVTT: a line per line of cue text; inline timestamps (<00:00:12.340>)
// start syllables and words, which end where the next one starts (the last
// at the cue's end); text before the first timestamp starts at the cue's
// start; a cue without timestamps shares its span by letters. Voices (<v>)
// are singers by SingerNaming.
Outcome ReadWebVtt(std::string_view bytes, const std::string& fileName, TimedLyrics& out);

// SubRip: a line per line of cue text, its words sharing the cue's span by
// their letters; formatting tags are dropped.
Outcome ReadSrt(std::string_view bytes, const std::string& fileName, TimedLyrics& out);

// MIDI karaoke: each lyric (or words-track text) event is a syllable at its
// tick through the file's tempo map (or its SMPTE division), ending at its
// note's end or the next syllable, whichever is first; the text rules of
// ScanMidiLyrics make the lines and words; the first two @T fields are the
// title and the artist.
Outcome ReadMidiLyrics(std::string_view bytes, const std::string& fileName, TimedLyrics& out);

}  // namespace lf
