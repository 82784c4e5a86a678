#pragma once
// The events of a Standard MIDI File that lyric import reads: texts, lyrics,
// karaoke header fields, notes and tempo changes, each at its tick, track by
// track. Damaged data ends a track; what came before it stays.
#include <cstdint>
#include <string_view>
#include <vector>

namespace lf {

struct MidiText {
  uint64_t tick = 0;
  std::string_view text;  // cut at its first zero byte
  size_t track = 0;
};

struct MidiNote {
  uint64_t on = 0;
  uint64_t off = 0;
};

struct MidiTempo {
  uint64_t tick = 0;
  uint32_t microsPerQuarter = 500000;
};

struct MidiTrackEvents {
  std::string_view name;          // the first track name
  std::vector<MidiText> lyrics;   // lyric events
  std::vector<MidiText> texts;    // text events that are not header fields
  std::vector<MidiText> fields;   // karaoke header fields ("@T...", "@L..."), text or lyric
  std::vector<MidiNote> notes;    // in order of their starts
  std::vector<MidiTempo> tempos;  // in order
};

struct MidiFileEvents {
  bool isMidi = false;    // the data starts with a header chunk
  uint16_t division = 0;  // ticks a quarter, or SMPTE frames and ticks a frame when the top bit is set
  std::vector<MidiTrackEvents> tracks;
};

MidiFileEvents ReadMidiFileEvents(std::string_view data);

// The events that carry the lyrics: the lyric events of every track in time
// order when there are any, else the texts of the "Words" (or "Lyrics")
// track, else of the first track with texts.
std::vector<MidiText> MidiLyricTexts(const std::vector<MidiTrackEvents>& tracks);

// Milliseconds from the start of the file to each tick, through every tempo
// change of every track, or through the SMPTE division.
class MidiClock {
 public:
  explicit MidiClock(const MidiFileEvents& file);
  bool Valid() const { return m_ticksPerQuarter > 0 || m_ticksPerSecond > 0; }
  int64_t Millis(uint64_t tick) const;

 private:
  int64_t m_ticksPerQuarter = 0;
  double m_ticksPerSecond = 0;
  std::vector<MidiTempo> m_tempos;
};

}  // namespace lf
