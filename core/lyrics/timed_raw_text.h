#pragma once
// Timed lyrics as the raw lyric text the editor keeps: one text line per
// line, '&' before a singer-2 line, '!' before a fixed line, a '^' line
// before a line that starts a page, '*' between the syllables of a word and
// '_' for a space inside a word.
#include <string>

#include "core/lyrics/timed_lyrics.h"

namespace lf {

// Why the word cannot be written into raw lyric text ("" when it can): it is
// empty, holds a line break or one of the editor's marks ('^', '*', '_'),
// or starts or ends with a blank.
std::string RawWordProblem(std::string_view text);

// The same for a line: each word, and a first character that the editor
// would take for a singer-2 or fixed-line mark.
std::string RawLineProblem(const TimedLine& line);

// The raw text of `lyrics`; false (with `problem` naming the line) when a
// line cannot be written.
bool WriteRawLyrics(const TimedLyrics& lyrics, std::string& raw, std::string* problem = nullptr);

}  // namespace lf
