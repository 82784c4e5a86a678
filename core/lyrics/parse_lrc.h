#pragma once
// The reader of LRC files: lines led by one or more [m:ss.xx] time tags, with
// optionally a <m:ss.xx> (or inline [m:ss.xx]) tag before words (enhanced
// LRC), and [key:value] ID tags.
#include <cstddef>
#include <string>
#include <string_view>

#include "core/lyrics/lrc_file.h"

namespace lf {

// Parses the file's bytes `data` (decoded here: UTF-8, UTF-16 or Windows-1252;
// lines end in LF, CR LF or CR) into `lrc`, which is emptied first, and puts
// the lyric text into `text`: one line per time tag in time order, each ended
// by LF, word time tags removed. A tag between two Chinese, Japanese or Korean
// characters leaves a syllable mark ('*') between them; a singer mark
// ("M:", "F:", "D:", "v1:", "v2:") leaves the text and sets the line's
// singer; a line on the time of
// the line before (a translation) starts with the fixed-line mark ('!').
// Times are on the music's timeline: the file's
// [offset:] is applied as LRC players apply it. Returns the length of the
// text; 0 (with `text` empty and no lines) when the file has no timed line or
// a line whose time tag cannot be read, which `error` (when given) then names
// with its line number.
size_t ParseLrc(std::string_view data, std::string& text, LrcFile& lrc, std::string* error = nullptr);

// Words on the last line of a file without word tags have no next line to
// share the time with; when no earlier line gives an average either, each
// word gets this many milliseconds.
inline constexpr int32_t kLrcDefaultWordStep = 500;

// A word ends one hundredth before the next begins, as LRC readers take it.
inline constexpr int32_t kLrcEndGap = 10;

// Times are kept below this (milliseconds) so that they fit a SampleTime at
// 44,100 Hz as well.
inline constexpr int32_t kLrcMaxTime = static_cast<int32_t>(0x7FFFFFFFLL * 10 / 441);

}  // namespace lf
