#pragma once
// A line sung again (a chorus) timed from the first time it was sung: its
// words keep the earlier line's word-to-word offsets, placed from where this
// line begins.
#include <optional>

#include "core/platform/outcome.h"
#include "core/song/sample_time.h"

namespace lf {

class Song;
class SongLyrics;

// The nearest line before `line` with the same words (letters and digits,
// case folded) and every word timed; -1 when there is none.
int EarlierLineWithSameText(const SongLyrics& lyrics, int line);

// Times line `line` like the earlier line with the same words, from `anchor`
// (the line's own first start when none is given, as a tap would leave it).
// Its words are marked for review. One undo step.
Outcome CopyTimingFromEarlierLine(Song& song, int line, std::optional<SampleTime> anchor = std::nullopt);

// The same without its own undo step or checks, for callers that time many
// lines as one step: `from` must have as many words as `line`.
void CopyLineTiming(SongLyrics& lyrics, int from, int line, SampleTime anchor);

}  // namespace lf
