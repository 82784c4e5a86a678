#pragma once
// The reader of MIDI karaoke files (.kar, .mid): it strings together the
// texts of the file's text and lyric meta events. The music is not read, so
// the result is text only, never timings.
#include <string>
#include <string_view>

namespace lf {

// The lyric text of a Standard MIDI File, UTF-8 (Windows-1252 texts are
// converted). A text starting with "/" or "\" starts a new line; karaoke
// header fields ("@...") are skipped. Empty when the data is not a MIDI file
// or holds no lyric text.
std::string ScanMidiLyrics(std::string_view data);

}  // namespace lf
