#include "core/lyrics/scan_midi_lyrics.h"

#include "core/lyrics/lyrics_punctuation_map.h"
#include "core/lyrics/midi_tracks.h"

namespace lf {

namespace {

// One syllable as it joins the lyric text: a leading "/" or "\" is a line
// break, and every CR (with the LF after it, if any) ends a line.
void AppendSyllable(std::string_view s, std::string& out) {
  if (!s.empty() && (s[0] == '/' || s[0] == '\\')) {
    out += '\n';
    s.remove_prefix(1);
  }
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\r') {
      out += s[i];
      continue;
    }
    out += '\n';
    if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
  }
}

}  // namespace

std::string ScanMidiLyrics(std::string_view d) {
  // Syllables are collected as written and decoded together, so that the
  // whole file is read in one encoding.
  std::string raw;
  for (const MidiText& t : MidiLyricTexts(ReadMidiFileEvents(d).tracks)) AppendSyllable(t.text, raw);
  return DecodeLyricText(raw);
}

}  // namespace lf
