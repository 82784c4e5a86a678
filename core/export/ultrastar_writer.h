#pragma once
// Sing-along game notes as an UltraStar .txt: the header tags, one note per
// word or syllable (": start length pitch text", in beats of 60 / (4 x BPM)
// seconds counted from #GAP milliseconds), a "- beat" break after each line
// and "E" at the end. A duet writes each singer's lines as its own part
// (P1, P2); a line both sing is a note in both parts.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/export/lyric_file_lines.h"

namespace lf {

// A note's pitch in semitones from C4 for a note sung between two times
// (ms on the lyrics' timeline); none when it cannot be told.
using NotePitch = std::function<std::optional<int>(Millis start, Millis end)>;

struct UltraStarOptions {
  std::string audioFile;          // #MP3: the name of the audio the notes play against
  int pitch = 0;                  // every note's pitch, in semitones from C4
  NotePitch notePitch = nullptr;  // when set: each note's own pitch, `pitch` where it has none
};

// The beat grid the notes are written on.
struct BeatGrid {
  int bpm = 0;
  Millis gap = 0;  // where beat 0 lies
  double BeatMillis() const { return 15000.0 / bpm; }
  int64_t BeatAt(Millis t) const;       // the nearest beat
  double MillisAt(int64_t beat) const;  // where a beat lies
};

// The smallest whole BPM at which every start and end in `times` lies within
// `tolerance` ms of its beat, counting from the first time (a note is never
// shorter than one beat); the grid that comes closest when none does.
BeatGrid ChooseBeatGrid(const std::vector<std::pair<Millis, Millis>>& notes, Millis tolerance = 10);

// Fixed lines are left out: the game has no unsung text.
LyricFileText FormatUltraStar(const TimedLyrics& lyrics, const UltraStarOptions& options = {});

}  // namespace lf
