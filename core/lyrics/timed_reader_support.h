#pragma once
// What the readers of timed lyric and subtitle formats share: the one-line
// failure that names the file, the format and the line; decoding the file's
// bytes; the text's numbered lines; words and syllables from timed runs of
// text; and singers from the names a format gives its voices.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/lyrics/timed_lyrics.h"
#include "core/platform/outcome.h"

namespace lf {

// "<file>: <format>: line <n>: <what>" as a BadInput failure; line 0 leaves
// the line out.
Outcome TimedFormatProblem(const std::string& fileName, std::string_view format, int line, const std::string& what);

// The file's bytes as UTF-8 text with LF line ends (DecodeLyricsTextFile). A
// file that must be UTF-8 (`utf8Only`, or one that starts with a UTF-8
// byte-order mark) and is not fails, naming its first line that is not.
Outcome DecodeTimedFormatText(std::string_view bytes, bool utf8Only, const std::string& fileName,
                              std::string_view format, std::string& text);

// The lines of LF-ended text; element i is line i + 1 of the file.
std::vector<std::string_view> TextLines(std::string_view text);

// A piece of sung text and when it is heard: a syllable, or several words
// that share the span.
struct TimedRun {
  std::string text;
  Millis start = kUntimed;
  Millis end = kUntimed;
};

// Appends the words of `runs` to `line`. Blanks separate words; a run that
// starts without a blank, after a run that did not end in one, continues
// that run's last word as a syllable. The words of one run share its span by
// their letters; an untimed run gives untimed words.
void AppendTimedRuns(const std::vector<TimedRun>& runs, TimedLine& line);

// Words spread over [from, to) by their letters, as a format that times
// only whole lines gives them.
void AppendLineText(std::string_view text, Millis from, Millis to, TimedLine& line);

// The lines of a cue that times only its whole span: the lines share the
// span by their letters, and so do the words of each line.
std::vector<TimedLine> SpreadCueLines(const std::vector<std::string>& texts, Millis from, Millis to);

// Singers from the names a format gives its styles or voices. A name that
// says "fixed" is a fixed line; "both", "duet" or "all" both singers; a name
// ending in 1 or 2 that singer; no name singer 1; any other name singer 1
// when it is the first such name met, singer 2 after.
class SingerNaming {
 public:
  struct Role {
    Singer singer = Singer::kSinger1;
    bool fixed = false;
  };
  Role RoleOf(std::string_view name);

 private:
  std::vector<std::string> m_others;
};

// A clock time "h:mm:ss", "mm:ss" or either with a fraction after '.' or ','
// (any number of digits, as a decimal fraction of a second) in milliseconds,
// rounded to the nearest; false for anything else.
bool ReadClockTime(std::string_view text, Millis& ms);

// A cue's time line, "start --> end" with any settings after the end, as
// SubRip and WebVTT write it.
bool ReadCueTiming(std::string_view line, Millis& start, Millis& end);

// Lower case ASCII, for names and keys compared without case.
std::string AsciiLower(std::string_view s);
std::string_view TrimBlanks(std::string_view s);

// A plain decimal number: digits with at most one point ("12", "12.5"); with
// `commaPoint` a comma may stand for the point, with `allowMinus` a leading
// '-' is taken. None for anything else.
struct DecimalForm {
  bool commaPoint = false;
  bool allowMinus = false;
};
std::optional<double> ReadDecimal(std::string_view s, const DecimalForm& form = {});

// A problem of `line` that the readers report with the file's line number:
// text the song's raw lyrics cannot hold (RawLineProblem).
bool CheckLineForRawText(const TimedLine& line, const std::string& fileName, std::string_view format, int lineNumber,
                         Outcome& outcome);

}  // namespace lf
