#pragma once
// How late a song's words may be timed: no later than its music lasts (and a
// little after, for a word held over the fade). Times from a file, a tap or a
// damaged project past that would make every output as long as the time.
#include <cstdint>
#include <string>

#include "core/song/karaoke_line_list.h"
#include "core/song/sample_time.h"

namespace lf {

class Song;

inline constexpr int kWordTimeAfterMusicSeconds = 3;

// The music a song's times are measured against: its rate (the frames word
// times count) and its length in frames; frames 0 when it is not known.
struct MusicSpan {
  int sampleRate = 0;
  int64_t frames = 0;

  bool Known() const { return frames > 0 && sampleRate > 0; }
  // The latest time a word may have (0 when the music is not known: no bound).
  SampleTime LatestWordTime() const;
};

// The prepared working music's span when there is one, else the span the
// song's music file says it has (read from its headers), else unknown.
MusicSpan SongMusicSpan(const Song& song);

// Words of `lines` with a start or end past `latest` (none when `latest` is 0).
int WordsPastTime(const KaraokeLineList& lines, SampleTime latest);
// Moves every word start and end past `latest` back to it; returns how many
// words changed (none when `latest` is 0).
int ClampWordTimes(KaraokeLineList& lines, SampleTime latest);

// A loaded song's times past the end of its music are moved back to it and
// the song marked changed, so the next save keeps them so; returns how many
// words were moved (0 when none, or the music's length is not known).
int BoundWordTimesByMusic(Song& song);
// The one line that tells the author so.
std::string WordsPastMusicText(int words);

}  // namespace lf
