#pragma once
// The timed words of a song as every lyric and subtitle format sees them:
// lines of words and syllables, each with its singer and its times in
// milliseconds of the music, apart from how the CD+G screen lays them out.
// Writers of a format take one of these; readers of a format return one, and
// the song takes it back through ApplyTimedLyrics.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/platform/outcome.h"

namespace lf {

class Song;
struct CompiledTimes;

// Milliseconds of music; kUntimed for a word or line without a time.
using Millis = int64_t;
inline constexpr Millis kUntimed = -1;

// Who sings a line. Solo songs sing every line as kSinger1.
enum class Singer { kSinger1, kSinger2, kBoth };

struct TimedWord {
  std::string text;            // UTF-8, as shown: markers removed, '_' as a space
  Millis start = kUntimed;     // first heard
  Millis end = kUntimed;       // last heard
  bool joinsPrevious = false;  // a syllable that continues the previous word without a space

  bool IsTimed() const { return start != kUntimed && end != kUntimed; }
  bool operator==(const TimedWord&) const = default;
};

struct TimedLine {
  std::vector<TimedWord> words;  // empty for a blank row
  Singer singer = Singer::kSinger1;
  bool fixed = false;    // shown but never sung (a '!' line)
  bool newPage = false;  // starts a new CD+G page (a '^' line came before it)
  // When the CD+G screen draws and erases the line: the window a subtitle
  // shows it in. kUntimed when the song was not compiled.
  Millis show = kUntimed;
  Millis erase = kUntimed;

  // The line's text as shown: words joined with spaces, syllables without.
  std::string Text() const;
  Millis FirstStart() const;  // the first timed word's start, or kUntimed
  Millis LastEnd() const;     // the last timed word's end, or kUntimed
  bool operator==(const TimedLine&) const = default;
};

// How the lyrics page draws the lines, for formats that carry a style.
// Colours are 0xRRGGBB.
struct TimedLyricsLook {
  std::string font = "Arial";
  int fontHeight = 12;  // pixels of the CD+G screen
  bool bold = false;
  bool italic = false;
  std::array<uint32_t, 4> lineColors = {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF};  // singer 1, 2, both, fixed
  uint32_t sweepColor = 0x0000FF;                                                 // a sung word
  uint32_t outlineColor = 0x000000;
  bool outline = false;
  int screenWidth = 300;  // the CD+G screen the font height is measured on
  int screenHeight = 216;

  bool operator==(const TimedLyricsLook&) const = default;
};

struct TimedLyrics {
  std::string title;
  std::string artist;
  bool duet = false;
  std::array<std::string, 3> singerNames;  // singer 1, singer 2, both
  Millis length = kUntimed;                // of the music
  std::vector<TimedLine> lines;
  TimedLyricsLook look;

  bool operator==(const TimedLyrics&) const = default;
};

// Where a format's times count from: the original music (what the song
// stores) or the exported audio, which starts with the compiled lead-in.
enum class TimingBase { kMusic, kExport };

struct TimedLyricsOptions {
  TimingBase base = TimingBase::kMusic;
  Millis exportLeadIn = 0;  // added to every time when base is kExport
};

// The song's lines and words with their times. With `compiled` (the song's
// compilation), each line also gets its show and erase times.
TimedLyrics TimedLyricsFromSong(const Song& song, const CompiledTimes* compiled,
                                const TimedLyricsOptions& options = {});

// Replaces the song's lyrics with `lyrics`: the raw text with the markers the
// editor writes (singer 2 '&', fixed '!', page breaks '^', syllable breaks '*',
// '_' for spaces inside a word), then the word times, line singers (as line
// colours), title and artist when given. Fails without changing the song when
// the lyrics cannot be written as raw text.
Outcome ApplyTimedLyrics(const TimedLyrics& lyrics, Song& song);

}  // namespace lf
