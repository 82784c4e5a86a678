// The timed MIDI karaoke reader of timed_format_readers.h.
#include <algorithm>

#include "core/lyrics/lyrics_punctuation_map.h"
#include "core/lyrics/midi_tracks.h"
#include "core/lyrics/timed_format_readers.h"
#include "core/lyrics/timed_raw_text.h"
#include "core/lyrics/timed_reader_support.h"
#include "core/platform/text_encoding.h"

namespace lf {

namespace {

constexpr std::string_view kFormat = "MIDI";
// The last syllable, without a note to end it, is heard this long.
constexpr Millis kLastSyllable = 500;

// The tick a syllable's sound ends: the end of a note that starts with it in
// its own track before the next syllable (or, failing that, of a note of any
// track that starts on its tick), cut at the next syllable.
uint64_t SyllableEnd(const MidiText& syllable, uint64_t next, bool hasNext, const MidiFileEvents& file) {
  const auto within = [&](const MidiNote& n) { return n.on >= syllable.tick && (!hasNext || n.on < next); };
  const auto& own = file.tracks[syllable.track].notes;
  auto it = std::find_if(own.begin(), own.end(), within);
  const MidiNote* note = it != own.end() ? &*it : nullptr;
  for (size_t t = 0; !note && t < file.tracks.size(); ++t)
    for (const MidiNote& n : file.tracks[t].notes)
      if (n.on == syllable.tick && n.off > n.on) {
        note = &n;
        break;
      }
  if (!note || note->off <= note->on) return hasNext ? next : syllable.tick;
  return hasNext ? std::min(note->off, next) : note->off;
}

// The syllable's bytes as UTF-8, in the encoding the whole file's lyrics are in.
std::string Decoded(std::string_view s, bool utf8) {
  if (utf8 && IsValidUtf8(s)) return std::string(s);
  return Windows1252ToUtf8(MapPunctuationToWindows1252(s));
}

// The title and artist from the first two "@T" fields, in file order.
void TakeNames(const MidiFileEvents& file, bool utf8, TimedLyrics& out) {
  int found = 0;
  for (const MidiTrackEvents& t : file.tracks)
    for (const MidiText& f : t.fields) {
      if (f.text.size() < 2 || (f.text[1] != 'T' && f.text[1] != 't')) continue;
      const std::string value(TrimBlanks(Decoded(f.text.substr(2), utf8)));
      if (found == 0) out.title = value;
      if (found == 1) out.artist = value;
      ++found;
    }
}

}  // namespace

Outcome ReadMidiLyrics(std::string_view bytes, const std::string& fileName, TimedLyrics& out) {
  out = {};
  const MidiFileEvents file = ReadMidiFileEvents(bytes);
  const std::vector<MidiText> syllables = MidiLyricTexts(file.tracks);
  if (syllables.empty()) return Outcome::Success();
  const MidiClock clock(file);
  if (!clock.Valid()) return TimedFormatProblem(fileName, kFormat, 0, "a header of 0 ticks a quarter note");

  std::string all;
  for (const MidiText& s : syllables) all += s.text;
  const bool utf8 = IsValidUtf8(all);
  TakeNames(file, utf8, out);

  std::vector<TimedRun> runs;
  const auto endLine = [&] {
    TimedLine line;
    AppendTimedRuns(runs, line);
    out.lines.push_back(std::move(line));
    runs.clear();
  };
  for (size_t i = 0; i < syllables.size(); ++i) {
    const MidiText& s = syllables[i];
    const bool hasNext = i + 1 < syllables.size();
    const Millis start = clock.Millis(s.tick);
    Millis end = clock.Millis(SyllableEnd(s, hasNext ? syllables[i + 1].tick : 0, hasNext, file));
    if (!hasNext && end <= start) end = start + kLastSyllable;
    std::string text = Decoded(s.text, utf8);
    if (!text.empty() && (text[0] == '/' || text[0] == '\\')) {
      endLine();
      text.erase(0, 1);
    }
    // CR, CR LF and LF inside a text end the line; what follows starts the next.
    size_t from = 0;
    for (size_t k = 0; k <= text.size(); ++k) {
      if (k < text.size() && text[k] != '\r' && text[k] != '\n') continue;
      if (k > from) runs.push_back({text.substr(from, k - from), start, end});
      if (k == text.size()) break;
      endLine();
      if (text[k] == '\r' && k + 1 < text.size() && text[k + 1] == '\n') ++k;
      from = k + 1;
    }
  }
  endLine();  // the last line, empty after a closing line break as in ScanMidiLyrics
  for (size_t i = 0; i < out.lines.size(); ++i)
    if (std::string problem = RawLineProblem(out.lines[i]); !problem.empty()) {
      out = {};
      return TimedFormatProblem(
          fileName, kFormat, 0,
          "lyric line " + std::to_string(i + 1) + ": " + problem + " cannot be taken into the lyrics");
    }
  return Outcome::Success();
}

}  // namespace lf
