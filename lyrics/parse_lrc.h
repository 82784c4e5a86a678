#pragma once
// The reader of LRC files: lines led by [mm:ss.xx] time tags, optionally with
// a <mm:ss.xx> tag before every word (enhanced LRC), and [key:value] ID tags.
#include <cstddef>
#include <string>
#include <string_view>

#include "lyrics/lrc_file.h"

namespace lf {

// Parses `data` (the file's text; lines end in LF or CR LF) into `lrc`, which
// is emptied first, and puts the lyric text into `text`: one line per timed
// line, each ended by CR LF, word time tags removed. Returns the length of
// the text; 0 (with `text` empty and no lines) when the file has no timed line.
size_t ParseLrc(std::string_view data, std::string& text, LrcFile& lrc);

// Words on the last line of a file without word tags have no next line to
// share the time with; when no earlier line gives an average either, each
// word gets this many centiseconds.
inline constexpr int32_t kLrcDefaultWordStep = 50;

// Times are kept below this so that they fit a SampleTime (x 441) as well.
inline constexpr int32_t kLrcMaxTime = 0x7FFFFFFF / 441;

}  // namespace lf
