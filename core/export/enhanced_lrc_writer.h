#pragma once
// Word-synchronised lyrics as enhanced LRC: [ar:], [ti:] and [length:] tags,
// a [mm:ss.xx] tag leading each sung line, a <mm:ss.xxx> tag before every
// word and syllable, and one closing a word that a pause follows and the
// line's last word (a hundredth after the word's end: readers end a word a
// hundredth before the next tag). In a duet each line starts with its
// singer's mark, tagged at the line's first word: "M:" singer 1, "F:"
// singer 2, "D:" both ("[00:12.00]<00:12.000>F: <00:12.000>Hello").
#include "core/export/lyric_file_lines.h"

namespace lf {

// Fixed lines are left out: a timed line would read as sung.
LyricFileText FormatEnhancedLrc(const TimedLyrics& lyrics);

// A word's text on an LRC line: control characters dropped, and the bracket
// of anything that would read as a time tag ("<00:09.00>", "[01:02]")
// turned into a look-alike that no reader takes for one.
std::string LrcWordText(const std::string& word);

}  // namespace lf
