#pragma once
// The reader of MIDI karaoke files (.kar, .mid): it strings together the
// texts of the file's lyric events, or of its text events when it has none.
// The music is not read, so the result is text only, never timings.
#include <string>
#include <string_view>

namespace lf {

// The lyric text of a Standard MIDI File, UTF-8 (Windows-1252 texts are
// converted), lines ended by LF. Lyric events of all tracks are taken in time
// order; a file without any gives the text events of its "Words" (or
// "Lyrics") track, else of its first track with text. A text starting with
// "/" or "\" starts a new line; karaoke header fields ("@T", "@L", "@K",
// "@I", any "@...") are skipped. Empty when the data is not a MIDI file or
// holds no lyric text.
std::string ScanMidiLyrics(std::string_view data);

}  // namespace lf
