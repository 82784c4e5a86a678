#pragma once
// Which lyric format a file holds, told from its first bytes rather than
// its name: a .txt file may be UltraStar, a .xml file TTML.
#include <string_view>

#include "core/lyrics/lyrics_import.h"

namespace lf {

// MIDI ("MThd"), WebVTT ("WEBVTT"), ASS ([Script Info], or [Events] with
// Dialogue lines), TTML (a <tt> root in the TTML namespace), UltraStar
// (#BPM: with notes or #TITLE:), SRT (a cue number over a "-->" time line)
// or LRC (a line led by a [m:ss] time tag); Unknown when the start of the
// file says none of these.
LyricsFileKind SniffLyricsFormat(std::string_view bytes);

}  // namespace lf
