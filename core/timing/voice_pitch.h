#pragma once
// The pitch of the voice over a song: what the centre of the stereo image
// sings, hop by hop, as MIDI note numbers (0 where nothing is sung or the
// pitch is unclear). A sing-along game's notes start from the median pitch
// of each word, for the author to correct.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace lf {

// C4 as a MIDI note number: UltraStar counts pitches from it.
inline constexpr int kMidiC4 = 60;

class PitchTrack {
 public:
  static constexpr int kHop = 512;

  // Reads the WAV at `path`; empty when it cannot be read.
  static PitchTrack OfWav(const std::string& path);

  bool Empty() const { return m_notes.empty(); }
  // The median pitch sung between the two times (ms of the music), rounded
  // to a semitone; none when nothing clear is sung there.
  std::optional<int> MedianNote(int64_t fromMs, int64_t toMs) const;

 private:
  int m_rate = 0;
  std::vector<float> m_notes;  // per hop
};

// Each note's pitch as the music at `wavPath` sings it, in semitones from C4
// (UltraStar's count), for a note sung between two times in ms of the music;
// none where nothing clear is sung. The music is listened to on the first
// call, on whichever thread makes it.
std::function<std::optional<int>(int64_t startMs, int64_t endMs)> SungNotePitch(const std::string& wavPath);

}  // namespace lf
