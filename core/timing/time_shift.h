#pragma once
// Shift Times: a run of words moved together by a number of frames, the
// same whether the author picked words, lines, or everything from the cursor
// on. The run's neighbours bound it: words that touched a neighbour keep
// touching it, a neighbour is never made shorter than a word may be, and no
// time goes below zero. A shift that cannot keep those rules is refused and
// changes nothing.
#include <cstdint>

#include "core/platform/outcome.h"

namespace lf {

class Song;

// Words first..last (indices into the song's words) by `frames` (negative:
// earlier). Unplaced words in the run stay unplaced. One undo step.
Outcome ShiftWords(Song& song, int first, int last, int64_t frames);
// Word `word` and every word after it.
Outcome ShiftFromWord(Song& song, int word, int64_t frames);
// The words of lines firstLine..lastLine.
Outcome ShiftLines(Song& song, int firstLine, int lastLine, int64_t frames);

}  // namespace lf
